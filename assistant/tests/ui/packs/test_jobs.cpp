// Background jobs under the processing dialog, driven offscreen, and the
// custom-pack dialog with its job.

#include "core/worker.h"
#include "packs/packimport.h"
#include "support/packsupport.h"
#include "ui/dialogs/processingdialog.h"
#include "ui/packs/custompackadddialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMovie>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using namespace packsupport;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

// A job with a fixed result that notes the thread it ran on.
class FixedJob : public Worker {
    Q_OBJECT
public:
    explicit FixedJob(int result, QSemaphore* gate = nullptr) : m_result(result), m_gate(gate) {}
    QString name() override { return "fixed"; }
    QString errorString(int r) override { return QString("failed with %1").arg(r); }
    QThread* ranOn = nullptr;

public slots:
    void doWork() override {
        emit started();
        ranOn = QThread::currentThread();
        if (m_gate)
            m_gate->acquire();
        emit finished(m_result);
    }

private:
    int m_result;
    QSemaphore* m_gate;
};

// What message boxes showed up while a modal loop ran; each is answered with OK.
struct BoxWatcher {
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon;
    };
    QList<Box> boxes;
    QTimer timer;
    BoxWatcher() {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this]() {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (!box || !box->isVisible())
                    continue;
                boxes.append({box->windowTitle(), box->text(), box->icon()});
                QAbstractButton* ok = box->button(QMessageBox::Ok);
                if (ok)
                    ok->click();
                else
                    box->reject();
            }
        });
        timer.start();
    }
};

class Jobs : public ::testing::Test {
protected:
    Installation inst;
};

TEST_F(Jobs, DialogLooksLikeTheBusyIndicatorAndRunsTheJobOnItsOwnThread) {
    auto* job = new FixedJob(0);
    WorkerPtr ptr(job);
    BoxWatcher watcher;
    ProcessingDialog dialog(ptr);
    EXPECT_EQ(dialog.objectName(), "ProcessingDialog");
    EXPECT_EQ(dialog.windowTitle(), "Processing");
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(dialog.minimumSize(), QSize(47, 45));
    EXPECT_EQ(dialog.maximumSize(), QSize(47, 45));
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    ASSERT_TRUE(labels[0]->movie());
    EXPECT_TRUE(labels[0]->movie()->isValid()) << "the picture :/images/loading is compiled in";
    EXPECT_GT(labels[0]->movie()->frameCount(), 1);
    EXPECT_EQ(labels[0]->movie()->currentPixmap().size(), QSize(47, 45));

    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(watcher.boxes.isEmpty()) << "a job returning 0 shows no box";
    EXPECT_NE(job->ranOn, nullptr);
    EXPECT_NE(job->ranOn, QThread::currentThread());
}

TEST_F(Jobs, FailedJobShowsItsCriticalBoxAndTheDialogIsRejected) {
    BoxWatcher watcher;
    ProcessingDialog dialog(WorkerPtr(new FixedJob(5)));
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    ASSERT_EQ(watcher.boxes.size(), 1);
    EXPECT_EQ(watcher.boxes[0].title, "fixed");
    EXPECT_EQ(watcher.boxes[0].text, "failed with 5");
    EXPECT_EQ(watcher.boxes[0].icon, QMessageBox::Critical);
}

TEST_F(Jobs, ImportNeedingANewerClientEndsRejectedWithItsMessage) {
    PackSource src(inst.work() + "/src", "new-1", "Newer");
    src.add(resource(1, "One", "books", "one.zip"));
    const QString archive = inst.work() + "/newer.tvp";
    ASSERT_EQ(src.build(archive, {"--ini-ver", "2"}).exitCode, 0);

    BoxWatcher watcher;
    QSignalSpy packAdded(&inst.db(), &DB::packAdded);
    {
        ProcessingDialog dialog(WorkerPtr(new PackImportWorker(archive)));
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_EQ(dialog.jobResult(), 8);
    }
    ASSERT_EQ(watcher.boxes.size(), 1);
    EXPECT_EQ(watcher.boxes[0].title, "import");
    EXPECT_EQ(watcher.boxes[0].text, "please update client first!");
    EXPECT_EQ(watcher.boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(packAdded.count(), 0);
    EXPECT_FALSE(QFileInfo::exists(inst.paths().tempDir + "/newer")) << "the unpack folder is removed";

    // The same pack in a version this client reads imports under the dialog, with no box.
    const QString good = inst.work() + "/good.tvp";
    ASSERT_EQ(src.build(good).exitCode, 0);
    ProcessingDialog dialog(WorkerPtr(new PackImportWorker(good)));
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(watcher.boxes.size(), 1);
    EXPECT_TRUE(testsupport::waitFor([&]() { return packAdded.count() == 1; }, 5000))
        << "the catalogue's signal from the job thread arrives queued";
    EXPECT_EQ(inst.apps("new-1").size(), 1);
}

TEST_F(Jobs, EscapeDoesNotEndTheDialogWhileTheJobRuns) {
    QSemaphore gate;
    auto* job = new FixedJob(0, &gate);
    ProcessingDialog dialog{WorkerPtr(job)};
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isVisible());
    gate.release();
    EXPECT_TRUE(testsupport::waitFor([&]() { return !dialog.isVisible(); }, 5000));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(Jobs, NamesAndMessagesOfTheClientsJobs) {
    PackImportWorker import("x.tvp");
    EXPECT_EQ(import.name(), "import");
    const QList<QPair<int, QString>> messages = {
        {2, "can not find db file!"}, {3, "open db failed!"},  {4, "exec db query failed!"},
        {6, "query pack failed!"},    {7, "add pack failed!"}, {8, "please update client first!"},
        {-1, "unknown error!"},       {1, "unknown error!"},   {5, "unknown error!"},
        {42, "unknown error!"}};
    for (const auto& m : messages)
        EXPECT_EQ(import.errorString(m.first), m.second) << m.first;
    TaviPack pack;
    PackDeletingWorker packDeleting(&pack);
    EXPECT_EQ(packDeleting.name(), "pack deleting");
    EXPECT_EQ(packDeleting.errorString(1), "unknown error!");
    _TaviApp app;
    AppDeletingWorker appDeleting(&app);
    EXPECT_EQ(appDeleting.name(), "app deleting");
    EXPECT_EQ(appDeleting.errorString(1), "unknown error!");
    CustomPackAddWorker custom("p", {});
    EXPECT_EQ(custom.errorString(3), "unknown error!");
}

// ---- custom packs -------------------------------------------------------------------------

class CustomPack : public Jobs {
protected:
    // Fills the dialog as a user would and presses "save".
    int save(CustomPackAddDialog& dialog, const QString& name, const QStringList& files) {
        auto* edit = dialog.findChild<QLineEdit*>("packNameEdit");
        auto* saveBtn = dialog.findChild<QPushButton*>("saveBtn");
        EXPECT_TRUE(edit && saveBtn);
        if (!edit || !saveBtn)
            return -1;
        edit->setText(name);
        dialog.addFiles(files);
        QTimer::singleShot(0, saveBtn, &QPushButton::click);
        return dialog.exec();
    }
};

TEST_F(CustomPack, SameNamedFilesKeepTheirOwnContentAndASharedFileGoesWithItsLastRow) {
    writeFile(inst.work() + "/one/song.mp3", "first");
    writeFile(inst.work() + "/two/song.mp3", "second");
    writeFile(inst.work() + "/two/other.txt", "other");
    BoxWatcher watcher;
    CustomPackAddDialog dialog;
    EXPECT_EQ(dialog.objectName(), "CustomPackAddDialog");
    EXPECT_EQ(dialog.windowTitle(), "Add Custom Pack");
    EXPECT_EQ(dialog.size(), QSize(400, 300));
    EXPECT_EQ(
        save(dialog, "My Songs",
             {inst.work() + "/one/song.mp3", inst.work() + "/two/song.mp3", inst.work() + "/two/other.txt"}),
        QDialog::Accepted);
    EXPECT_TRUE(watcher.boxes.isEmpty());

    const QList<TaviPackPtr> packs = inst.packs();
    ASSERT_EQ(packs.size(), 1);
    EXPECT_EQ(packs[0]->name, "My Songs");
    EXPECT_TRUE(packs[0]->isCustom);
    EXPECT_TRUE(packs[0]->icon.isEmpty());
    const QList<TaviAppPtr> apps = inst.apps(packs[0]->packId);
    ASSERT_EQ(apps.size(), 3);
    QStringList songPaths;
    for (const TaviAppPtr& app : apps) {
        EXPECT_TRUE(app->isUserFile);
        EXPECT_FALSE(app->isExternal);
        if (app->name == "song.mp3")
            songPaths << app->path;
    }
    songPaths.sort();
    // Both keep the name the teacher knows; each opens the file that was chosen.
    EXPECT_EQ(songPaths, QStringList({"My Songs/song (2).mp3", "My Songs/song.mp3"}));
    const QString dir = inst.paths().customPackDir + "/My Songs/";
    EXPECT_EQ(readFile(dir + "song.mp3"), "first");
    EXPECT_EQ(readFile(dir + "song (2).mp3"), "second");

    // The very same file chosen again is shared, and stays until its last row goes.
    CustomPackAddWorker again("My Songs", {inst.work() + "/one/song.mp3"});
    again.doWork();
    QList<TaviAppPtr> shared;
    for (const TaviAppPtr& app : inst.apps())
        if (app->path == "My Songs/song.mp3")
            shared << app;
    ASSERT_EQ(shared.size(), 2);
    EXPECT_EQ(testsupport::listTree(inst.paths().customPackDir),
              QStringList({"My Songs/", "My Songs/other.txt", "My Songs/song (2).mp3", "My Songs/song.mp3"}));
    packs::removeApp(inst.db(), inst.paths(), shared[0].data(), true);
    EXPECT_EQ(readFile(dir + "song.mp3"), "first") << "another resource still opens it";
    packs::removeApp(inst.db(), inst.paths(), shared[1].data(), true);
    EXPECT_FALSE(QFileInfo::exists(dir + "song.mp3"));
}

TEST_F(CustomPack, AFileChosenByMistakeGoesWithTheDeleteKey) {
    writeFile(inst.work() + "/a.mp3", "a");
    writeFile(inst.work() + "/b.mp3", "b");
    writeFile(inst.work() + "/c.mp3", "c");
    CustomPackAddDialog dialog;
    dialog.addFiles({inst.work() + "/a.mp3", inst.work() + "/b.mp3", inst.work() + "/c.mp3"});
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    auto* list = dialog.findChild<QListWidget*>("fileList");
    ASSERT_TRUE(list);
    list->setFocus();
    ASSERT_TRUE(testsupport::waitFor([&] { return list->hasFocus(); }));
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(dialog.files(), QStringList({inst.work() + "/a.mp3", inst.work() + "/c.mp3"}));
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Backspace);
    EXPECT_EQ(dialog.files(), QStringList({inst.work() + "/c.mp3"}));
}

TEST_F(CustomPack, NoFilesGiveAnEmptyPackAndAnEmptyNameIsRefused) {
    {
        CustomPackAddDialog dialog;
        EXPECT_EQ(save(dialog, "Empty", {}), QDialog::Accepted);
        ASSERT_EQ(inst.packs().size(), 1);
        EXPECT_TRUE(inst.apps(inst.packs()[0]->packId).isEmpty());
    }
    BoxWatcher watcher;
    CustomPackAddDialog dialog;
    auto* saveBtn = dialog.findChild<QPushButton*>("saveBtn");
    ASSERT_TRUE(saveBtn);
    dialog.addFiles({inst.work() + "/whatever.txt"});
    dialog.show();
    saveBtn->click();
    ASSERT_EQ(watcher.boxes.size(), 1);
    EXPECT_EQ(watcher.boxes[0].title, "add pack");
    EXPECT_EQ(watcher.boxes[0].text, "pack name is null!");
    EXPECT_EQ(watcher.boxes[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open for a name";
    EXPECT_EQ(inst.packs().size(), 1);

    // A name with a slash is refused the same way, with a message saying why.
    dialog.findChild<QLineEdit*>("packNameEdit")->setText("songs/2024");
    saveBtn->click();
    ASSERT_EQ(watcher.boxes.size(), 2);
    EXPECT_TRUE(watcher.boxes[1].text.contains("\"/\"")) << watcher.boxes[1].text.toStdString();
    EXPECT_EQ(watcher.boxes[1].icon, QMessageBox::Critical);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(inst.packs().size(), 1);
}

TEST_F(CustomPack, ANameThatCanNotBeAFolderMakesNoPackAndTheJobSaysSo) {
    writeFile(inst.work() + "/a.txt", "a");
    for (const QString& name :
         {QString("../../escape"), QString("a/b"), QString(".hidden"), QString("a\tb")}) {
        SCOPED_TRACE(name.toStdString());
        const auto before = snapshot(inst.root().root());
        CustomPackAddWorker job(name, {inst.work() + "/a.txt"});
        int result = -100;
        QObject::connect(&job, &Worker::finished, [&](int r) { result = r; });
        job.doWork();
        // An empty pack was reported as done before; now nothing is made and the job fails.
        EXPECT_EQ(result, 1);
        EXPECT_EQ(job.errorString(result), "add pack failed!");
        EXPECT_TRUE(job.packId().isEmpty());
        EXPECT_EQ(changes(before, snapshot(inst.root().root())), QStringList());
        EXPECT_TRUE(inst.packs().isEmpty());
    }
    EXPECT_TRUE(inst.log().contains("custom pack name can not be a folder name"));
}

} // namespace

#include "test_jobs.moc"

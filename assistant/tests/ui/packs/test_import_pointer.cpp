// The pack tab's import on a real X server, used with a real pointer: the
// processing dialog shows the import's stage and a moving bar, and its cancel
// button (while unpacking) stops the import with nothing imported.

#include "core/worker.h"
#include "support/listfixture.h"
#include "support/packsupport.h"
#include "support/pointer.h"
#include "ui/dialogs/processingdialog.h"
#include "ui/frame/contentpage.h"
#include "ui/frame/mainframe.h"
#include "ui/packs/packlistwidget.h"

#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWindow>

using namespace listtest;
using pointer::clickAt;
using pointer::settle;
using testsupport::waitFor;
using testsupport::Xvfb;

namespace {

class ImportByPointer : public CatalogueFixture {
protected:
    void SetUp() override {
        CatalogueFixture::SetUp();
        ASSERT_TRUE(x.isRunning()) << x.error().toStdString();
        frame = std::make_unique<MainFrame>(Core::instance()->context());
        frame->showOnWholeScreen();
        ASSERT_TRUE(waitFor([&] { return frame->windowHandle() && frame->windowHandle()->isExposed(); }));
        settle();
        clickAt(x, named<ContentPage>(frame, "ContentPage")->findChild<QWidget*>("packBtn"));
        settle();
    }
    void TearDown() override {
        frame.reset();
        CatalogueFixture::TearDown();
    }
    // A pack that takes 7-Zip a couple of seconds to unpack: text packed with
    // PPMd, which unpacks as slowly as it packs.
    QString slowPack(const QString& id) {
        packsupport::PackSource src(root.path("work/src-" + id), id, "Slow " + id);
        static const char* words[] = {"bear", "moon", "song", "cat",  "sun",
                                      "rain", "tree", "frog", "star", "boat"};
        QByteArray text;
        quint32 v = 7;
        while (text.size() < (3 << 20)) {
            v = v * 1664525u + 1013904223u;
            text += words[(v >> 24) % 10];
            text += QByteArray::number((v >> 8) % 1000) + ' ';
        }
        for (int i = 0; i < 3; ++i)
            src.add(packsupport::resource(1000 + i, QString("Story %1").arg(i), "books",
                                          QString("b/%1.txt").arg(i)),
                    text + QByteArray::number(i));
        const QString folder = root.path("work/stage-" + id);
        EXPECT_EQ(src.stage(folder).exitCode, 0);
        const QString archive = root.path("work/" + id + ".tvp");
        EXPECT_EQ(testsupport::run("7za", {"a", "-bd", "-m0=PPMd", "-mx=9", archive, "."}, 120000, {}, folder)
                      .exitCode,
                  0);
        return archive;
    }
    // Chooses `file` in the next pack file dialog by typing its path.
    void chooseByTyping(const QString& file, bool* chosen) {
        onNextModal<QFileDialog>([=](QFileDialog*) {
            settle();
            x.type(file);
            x.key("Return");
            *chosen = true;
        });
    }

    Xvfb x{Xvfb::Current{}};
    std::unique_ptr<MainFrame> frame;
};

TEST_F(ImportByPointer, TheBarMovesAndCancelStopsTheImport) {
    const QString archive = slowPack("slow");
    bool chosen = false;
    chooseByTyping(archive, &chosen);
    int highest = -1;
    QString stage;
    bool cancelled = false;
    onNextModal<ProcessingDialog>([&](ProcessingDialog* dialog) {
        auto* bar = dialog->findChild<QProgressBar*>("progressBar");
        auto* cancel = dialog->findChild<QPushButton*>("cancelBtn");
        ASSERT_TRUE(bar && cancel) << "no progress bar for an import";
        ASSERT_TRUE(waitFor([&] { return cancel->isEnabled(); }, 20000)) << "cancel is never offered";
        stage = dialog->findChild<QLabel*>("stageLabel")->text();
        clickAt(x, cancel);
        highest = bar->value();
        cancelled = true;
    });
    clickAt(x, named<ContentPage>(frame, "ContentPage")->findChild<QWidget*>("importPackBtn"));
    ASSERT_TRUE(waitFor([&] { return cancelled && !QApplication::activeModalWidget(); }, 60000));
    EXPECT_TRUE(chosen);
    EXPECT_TRUE(stage.startsWith("Unpacking")) << stage.toStdString();
    EXPECT_LT(highest, 100);
    _PackSearchPara para;
    unsigned count = 99;
    DataSet<TaviPack> packs;
    ASSERT_TRUE(db->searchPacks(&para, count, &packs));
    EXPECT_EQ(count, 0u) << "the cancelled pack was imported";
    EXPECT_TRUE(
        QDir(paths->tempDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());

    // The same file again, to its end: the bar reaches 100 and no box follows a success.
    chosen = false;
    chooseByTyping(archive, &chosen);
    QList<int> seen;
    onNextModal<ProcessingDialog>([&](ProcessingDialog* dialog) {
        auto* bar = dialog->findChild<QProgressBar*>("progressBar");
        QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) { seen << v; });
    });
    clickAt(x, named<ContentPage>(frame, "ContentPage")->findChild<QWidget*>("importPackBtn"));
    ASSERT_TRUE(waitFor(
        [&] {
            DataSet<TaviPack> now;
            db->searchPacks(&para, count, &now);
            return count == 1 && !QApplication::activeModalWidget();
        },
        60000));
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.last(), 100);
    EXPECT_GT(seen.size(), 3) << "the bar did not move on its way";
    // Said in a notice that needs no click, inside the window.
    auto* notice = named<QLabel>(frame, "notice");
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().startsWith("Imported: ")) << notice->text().toStdString();
    EXPECT_TRUE(frame->rect().contains(notice->geometry()));
}

} // namespace

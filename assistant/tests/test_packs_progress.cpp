// Imports a teacher can trust, with real archives and the real 7-Zip: the
// progress an import reports (rising, through its stages, to 100), a cancel
// while unpacking that leaves the installation byte for byte as it was, and
// packs checked against the checksums they carry.

#include "core/core.h"
#include "core/worker.h"
#include "packs/packimport.h"
#include "support/packsupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

using namespace packsupport;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

class ImportProgress : public ::testing::Test {
protected:
    QString build(const PackSource& src, const QString& name, const QStringList& options = {}) {
        const QString archive = inst.work() + "/" + name + ".tvp";
        const testsupport::ProcessResult r = src.build(archive, options);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return archive;
    }
    QString buildAltered(const PackSource& src, const QString& name,
                         const std::function<void(const QString&)>& change) {
        const QString folder = inst.work() + "/stage-" + name;
        EXPECT_EQ(src.stage(folder).exitCode, 0);
        change(folder);
        const QString archive = inst.work() + "/" + name + ".tvp";
        EXPECT_EQ(archiveFolder(folder, archive).exitCode, 0);
        return archive;
    }
    PackSource books(const QString& id, int first, int count) {
        PackSource src(inst.work() + "/src-" + id, id, "Pack " + id, "art/p.png");
        for (int i = 0; i < count; ++i)
            src.add(resource(first + i, QString("Book %1").arg(i), "books", QString("b/%1.zip").arg(i),
                             "art/i.png"),
                    QByteArray("book ") + QByteArray::number(i));
        return src;
    }

    Installation inst;
};

TEST_F(ImportProgress, AThousandFilesReportARisingFigureThroughEveryStageTo100) {
    PackImportWorker job(build(books("big", 1, 1000), "big"));
    QList<int> figures;
    QStringList stages;
    QList<bool> cancellable;
    QObject::connect(&job, &Worker::progress, [&](int p, const QString& stage, bool c) {
        figures << p;
        stages << stage;
        cancellable << c;
    });
    job.doWork();
    ASSERT_EQ(job.report().result, 0);
    EXPECT_EQ(job.report().resources, 1000);
    ASSERT_FALSE(figures.isEmpty());
    for (int i = 1; i < figures.size(); ++i)
        ASSERT_GE(figures[i], figures[i - 1]) << "the figure went back at report " << i;
    EXPECT_EQ(figures.first(), 0);
    EXPECT_EQ(figures.last(), 100);
    EXPECT_TRUE(stages.first().startsWith("Unpacking"));
    EXPECT_TRUE(stages.last().startsWith("Moving files and cataloguing: 1000 of 1000"))
        << stages.last().toStdString();
    // Cancelling is offered while unpacking, and no longer once files move.
    EXPECT_TRUE(cancellable.first());
    EXPECT_FALSE(cancellable.last());
    EXPECT_GE(stages.filter("Moving").size(), 100) << "the second stage counts files as it goes";
}

TEST_F(ImportProgress, CancelWhileUnpackingLeavesTheInstallationAsItWas) {
    PackSource src(inst.work() + "/src-large", "large", "Large", "art/p.png");
    // Enough to keep 7-Zip busy for a while: incompressible content, stored.
    QByteArray noise(4 << 20, '\0');
    quint32 x = 12345;
    for (char& c : noise)
        c = char((x = x * 1664525u + 1013904223u) >> 24);
    for (int i = 0; i < 30; ++i)
        src.add(resource(500 + i, QString("Video %1").arg(i), "video", QString("v/%1.mp4").arg(i)), noise);
    const QString archive = build(src, "large", {"--level", "0"});
    const auto before = snapshot(inst.root().root());

    PackImportWorker job(archive);
    QObject::connect(&job, &Worker::progress, [&](int, const QString&, bool cancellable) {
        if (cancellable)
            job.requestCancel();
    });
    job.doWork();
    EXPECT_EQ(job.report().result, packs::ImportCancelled);
    EXPECT_TRUE(job.isCancelResult(job.report().result)) << "no error box for a cancel";
    EXPECT_EQ(changes(before, snapshot(inst.root().root())), QStringList())
        << "the cancel left something behind";
    EXPECT_TRUE(inst.packs().isEmpty());

    // Nothing stands in the way of the next try.
    PackImportWorker again(archive);
    again.doWork();
    EXPECT_EQ(again.report().result, 0);
    EXPECT_EQ(inst.apps("large").size(), 30);
}

TEST_F(ImportProgress, ChecksumsCatchADamagedBookADamagedDatabaseAndAMissingFile) {
    // A good pack with its checksums imports.
    PackImportWorker good(build(books("good", 100, 3), "good"));
    good.doWork();
    EXPECT_EQ(good.report().result, 0);
    EXPECT_TRUE(good.report().damaged.isEmpty());

    // One flipped byte in one book: the rest comes, that book does not, and is named.
    PackImportWorker flipped(buildAltered(books("flip", 200, 3), "flip", [](const QString& f) {
        QFile book(f + "/b/1.zip");
        ASSERT_TRUE(book.open(QIODevice::ReadWrite));
        QByteArray bytes = book.readAll();
        bytes[0] = char(bytes[0] ^ 1);
        book.seek(0);
        book.write(bytes);
    }));
    flipped.doWork();
    EXPECT_EQ(flipped.report().result, 0);
    EXPECT_EQ(flipped.report().damaged, QStringList{"b/1.zip"});
    EXPECT_EQ(inst.apps("flip").size(), 2);
    EXPECT_FALSE(inst.appByProduct(201));
    EXPECT_TRUE(flipped.outcome().contains("damaged, left out: b/1.zip")) << flipped.outcome().toStdString();
    EXPECT_TRUE(inst.log().contains("checksum does not match, the file is damaged: b/1.zip"));

    // A damaged pack.db: nothing of the pack changes anything.
    const auto before = snapshot(inst.root().root() + "/data");
    PackImportWorker badDb(buildAltered(books("good", 300, 2), "baddb", [](const QString& f) {
        QFile db(f + "/pack.db");
        ASSERT_TRUE(db.open(QIODevice::Append));
        db.write("x");
    }));
    badDb.doWork();
    EXPECT_EQ(badDb.report().result, packs::ImportDamaged);
    EXPECT_EQ(badDb.report().damaged, QStringList{"pack.db"});
    EXPECT_EQ(changes(before, snapshot(inst.root().root() + "/data")), QStringList())
        << "the installed copy of the pack was touched";
    EXPECT_EQ(inst.apps("good").size(), 3);

    // A listed file that is not in the archive counts as damaged.
    PackImportWorker missing(
        buildAltered(books("gap", 400, 2), "gap", [](const QString& f) { QFile::remove(f + "/b/0.zip"); }));
    missing.doWork();
    EXPECT_EQ(missing.report().result, 0);
    EXPECT_EQ(missing.report().damaged, QStringList{"b/0.zip"});
    EXPECT_TRUE(inst.log().contains("listed in pack.sha256 but missing: b/0.zip"));

    // A pack from before the checksums imports as it always did.
    PackImportWorker old(build(books("old", 500, 2), "old", {"--no-checksums"}));
    old.doWork();
    EXPECT_EQ(old.report().result, 0);
    EXPECT_EQ(inst.apps("old").size(), 2);
    // The list itself never becomes a file of a user-built pack.
    PackSource user(inst.work() + "/user", "", "");
    user.manifest() = QJsonObject{{"type", 2}, {"files", QJsonArray{"a.mp3"}}};
    user.write("a.mp3", "a");
    PackImportWorker own(build(user, "mine"));
    own.doWork();
    EXPECT_EQ(own.report().result, 0);
    EXPECT_EQ(own.report().resources, 1);
    EXPECT_FALSE(QFileInfo::exists(inst.paths().externalDir + "/mine/pack.sha256"));
}

} // namespace

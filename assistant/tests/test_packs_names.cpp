// Archive and folder names that mean something to 7-Zip or to the client
// itself: wildcards, a leading dash, quotes and blanks in pack and book
// archives; a pack called "daily"; a newer copy of a pack replacing a book
// that was opened (and so unpacked) before.

#include "core/core.h"
#include "launch/enginepath.h"
#include "launch/respackplayer.h"
#include "packs/extract.h"
#include "packs/packimport.h"
#include "support/packsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace packsupport;
using testsupport::listTree;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

// Names 7-Zip would read as wildcards, switches or list files, and names a shell would split.
const QStringList kAwkwardNames{"g*", "g?", "g[z]", "two words", "it's \"quoted\"", "-gz", "@gz"};

class PackNames : public ::testing::Test {
protected:
    void TearDown() override { enginePath() = kDefaultEnginePath; }

    PackSource pack(int number, const QByteArray& book) {
        const QString id = "pack" + QString::number(number);
        PackSource src(inst.work() + "/src-" + id, id, "Pack " + id);
        src.add(resource(100 + number, "Book of " + id, "books", id + "/tale.tvp"), book);
        return src;
    }
    QString build(const PackSource& src, const QString& name) {
        const QString archive = inst.work() + "/" + name + ".tvp";
        const testsupport::ProcessResult r = src.build(archive);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return archive;
    }

    Installation inst;
};

TEST_F(PackNames, AwkwardArchiveNamesImportOnlyTheirOwnPack) {
    // Beside each awkward name lies the pack its wildcard would also match.
    const QString neighbour = build(pack(0, "n"), "gz");
    for (int i = 0; i < kAwkwardNames.size(); ++i) {
        const QString& name = kAwkwardNames[i];
        SCOPED_TRACE(name.toStdString());
        const QString archive = build(pack(i + 1, name.toUtf8()), name);
        ASSERT_TRUE(QFileInfo::exists(archive));
        EXPECT_EQ(packs::importPack(inst.db(), inst.paths(), archive), 0);
        EXPECT_TRUE(QDir(inst.paths().tempDir)
                        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                        .isEmpty())
            << "nothing left behind in temp";
    }
    QStringList ids;
    for (const TaviPackPtr& p : inst.packs())
        ids << p->packId;
    EXPECT_FALSE(ids.contains("pack0")) << "the neighbour was never imported";
    EXPECT_EQ(ids.size(), kAwkwardNames.size());
    ASSERT_TRUE(QFileInfo::exists(neighbour));

    // A user-built pack keeps the archive's name as it is, "*" and all.
    const QString folder = inst.work() + "/user";
    writeFile(folder + "/pack.ini", "[pack]\nver=1\ntype=2\n");
    writeFile(folder + "/song.mp3", "la");
    const QString userArchive = inst.work() + "/my*songs.tvp";
    ASSERT_EQ(archiveFolder(folder, userArchive).exitCode, 0);
    ASSERT_EQ(packs::importPack(inst.db(), inst.paths(), userArchive), 0);
    EXPECT_EQ(readFile(inst.paths().externalDir + "/my*songs/song.mp3"), "la");
}

TEST_F(PackNames, BooksWithAwkwardNamesUnpackBesideThemselvesUnderTheirOwnName) {
    qputenv("TAVI_FAKE_ENGINE_LOG", (inst.work() + "/engine.txt").toUtf8());
    enginePath() = TAVI_FAKE_ENGINE_EXE;
    const QString apps = inst.paths().appsDir + "/books";
    // The wildcard's other match lies beside each book.
    writeFile(inst.work() + "/other/tavigame.dat", "other");
    ASSERT_EQ(archiveFolder(inst.work() + "/other", apps + "/gz.tvp").exitCode, 0);
    for (const QString& name : kAwkwardNames) {
        SCOPED_TRACE(name.toStdString());
        const QString src = inst.work() + "/book-" + QString::number(qHash(name));
        writeFile(src + "/tavigame.dat", name.toUtf8());
        ASSERT_EQ(archiveFolder(src, apps + "/" + name + ".tvp").exitCode, 0);
        ResPackPlayer::openResPackFile(apps + "/" + name + ".tvp", 1);
        EXPECT_EQ(readFile(apps + "/" + name + "/tavigame.dat"), name);
        const QStringList calls = readFile(inst.work() + "/engine.txt").split('\n', Qt::SkipEmptyParts);
        ASSERT_FALSE(calls.isEmpty());
        EXPECT_EQ(calls.last(), "argc=1 args=" + apps + "/" + name + "/");
    }
    EXPECT_FALSE(QFileInfo::exists(apps + "/gz")) << "the neighbour was never unpacked";
    for (const QString& entry : QDir(apps).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        EXPECT_FALSE(entry.startsWith(".")) << "leftover " << entry.toStdString();
}

TEST_F(PackNames, APackCalledDailyLeavesTheStagedDailyScenesAlone) {
    const QString staged = inst.paths().tempDir + "/daily/morning/song.wav";
    writeFile(staged, "RIFF");
    ASSERT_EQ(packs::importPack(inst.db(), inst.paths(), build(pack(1, "d"), "daily")), 0);
    EXPECT_EQ(readFile(staged), "RIFF") << "the installer's daily scenes are still there to be copied";
    EXPECT_EQ(inst.packs().size(), 1);
    QStringList files;
    for (const QString& entry : listTree(inst.paths().tempDir))
        if (!entry.endsWith('/'))
            files << entry;
    EXPECT_EQ(files, QStringList{"daily/morning/song.wav"});
}

TEST_F(PackNames, ANewerCopyOfAPackPlaysItsOwnBook) {
    qputenv("TAVI_FAKE_ENGINE_LOG", (inst.work() + "/engine.txt").toUtf8());
    enginePath() = TAVI_FAKE_ENGINE_EXE;
    auto version = [&](const QByteArray& marker) {
        const QString book = inst.work() + "/book-" + marker;
        writeFile(book + "/story/tavigame.dat", marker);
        const QString bookArchive = inst.work() + "/story-" + marker + ".tvp";
        EXPECT_EQ(archiveFolder(book, bookArchive).exitCode, 0);
        PackSource src(inst.work() + "/src-" + marker, "tales", "Tales " + marker);
        QFile f(bookArchive);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        src.add(resource(7001, "Story", "books", "books/story.tvp"), f.readAll());
        return build(src, "tales-" + marker);
    };
    auto open = [&]() {
        const TaviAppPtr app = inst.appByProduct(7001);
        EXPECT_TRUE(app);
        ResPackPlayer::openResPackFile(inst.paths().appsDir + "/" + app->path, 7001);
        const QStringList calls = readFile(inst.work() + "/engine.txt").split('\n', Qt::SkipEmptyParts);
        const QString folder = calls.isEmpty() ? QString() : calls.last().section("args=", 1);
        return readFile(folder + "tavigame.dat");
    };

    ASSERT_EQ(packs::importPack(inst.db(), inst.paths(), version("v1")), 0);
    EXPECT_EQ(open(), "v1");
    ASSERT_TRUE(QFileInfo::exists(inst.paths().appsDir + "/books/story/story/tavigame.dat"));
    ASSERT_EQ(packs::importPack(inst.db(), inst.paths(), version("v2")), 0);
    EXPECT_EQ(open(), "v2") << "the book unpacked for v1 went with v1";

    // Removing the pack takes the unpacked book along, and only inside the apps folder.
    const TaviPackPtr installed = inst.packs().value(0);
    ASSERT_TRUE(installed);
    packs::removePack(inst.db(), inst.paths(), installed.data());
    EXPECT_TRUE(listTree(inst.paths().appsDir).isEmpty());
}

TEST_F(PackNames, UnpackedBookFolderIsNeverTheArchiveOrTheAppsFolder) {
    EXPECT_EQ(unpackFolderBeside("/a/b/story.tvp"), "/a/b/story");
    EXPECT_EQ(unpackFolderBeside("/a/b/tales.vol1.tvp"), "/a/b/tales");
    // A book archive without a dot, or one named ".tvp", has no folder of its
    // own: removing it must not take its neighbours or the apps folder along.
    writeFile(inst.paths().appsDir + "/keep/me.mp3", "x");
    for (const QString& name : {QString("plain"), QString(".tvp")}) {
        SCOPED_TRACE(name.toStdString());
        writeFile(inst.paths().appsDir + "/" + name, "archive");
        _TaviApp app;
        app.proType = "books";
        app.path = name;
        packs::removeApp(inst.db(), inst.paths(), &app, false);
        EXPECT_FALSE(QFileInfo::exists(inst.paths().appsDir + "/" + name));
        EXPECT_EQ(readFile(inst.paths().appsDir + "/keep/me.mp3"), "x");
    }
}

} // namespace

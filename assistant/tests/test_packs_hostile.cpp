// Hostile packs and catalogue rows: paths that climb out with "..", absolute
// paths and symbolic links must never make an import or a removal write, move
// or delete anything outside the data folders. The whole installation root is
// compared before and after.

#include "core/core.h"
#include "packs/packimport.h"
#include "support/packsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <gtest/gtest.h>

using namespace packsupport;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

class HostilePack : public ::testing::Test {
protected:
    void SetUp() override {
        // Things a careless import or removal would reach: beside the data
        // folders (the unpack folder and the apps folder are both two levels
        // below the root) and in the application folder.
        writeFile(inst.root().path("victim.txt"), "keep me");
        writeFile(inst.root().path("victim.png"), "keep my picture");
        writeFile(inst.root().appDir() + "/victim.txt", "keep me too");
    }

    // Everything of the root but the data folders, whose changes are the import's business.
    QMap<QString, QByteArray> outside() {
        QMap<QString, QByteArray> all = snapshot(inst.root().root());
        for (auto it = all.begin(); it != all.end();) {
            if (it.key().startsWith("data/") || it.key().startsWith("temp/"))
                it = all.erase(it);
            else
                ++it;
        }
        return all;
    }

    void expectNoLinksInDataFolders() {
        const QMap<QString, QByteArray> data = snapshot(inst.paths().dataDir);
        for (auto it = data.begin(); it != data.end(); ++it)
            EXPECT_FALSE(it.value().startsWith("link:"))
                << "link in the data folders: " << it.key().toStdString();
    }

    QString build(PackSource& src, const QString& name, const QStringList& options = {"--unchecked"}) {
        const QString archive = inst.work() + "/" + name + ".tvp";
        const testsupport::ProcessResult r = src.build(archive, options);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return archive;
    }

    Installation inst;
};

TEST_F(HostilePack, PathsAndIconsLeavingTheirFolderAreSkippedAndNamed) {
    const QString absolute = inst.root().path("victim.txt");
    PackSource src(inst.work() + "/src", "hostile-1", "Hostile");
    src.manifest().insert("icon", "art/pack.png");
    src.manifest().insert("iconName", "../../victim.png");
    src.writeIcon("art/pack.png");
    src.add(resource(1, "Good", "books", "good.zip", "art/good.png"), "good");
    QJsonObject climb = resource(2, "Climber", "books", "climb.zip");
    climb.insert("path", "../../victim.txt");
    src.add(climb);
    QJsonObject abs = resource(3, "Absolute", "books", "abs.zip");
    abs.insert("path", absolute);
    src.add(abs);
    QJsonObject hiddenClimb = resource(4, "Hidden climber", "books", "hidden.zip");
    hiddenClimb.insert("path", "books/..\\..\\..\\victim.txt");
    src.add(hiddenClimb);
    QJsonObject badIcon = resource(5, "Bad icon", "books", "badicon.zip", "art/bad.png");
    badIcon.insert("iconName", "../../../victim.png");
    src.add(badIcon);
    const QString archive = build(src, "hostile");

    const auto before = outside();
    EXPECT_EQ(Core::instance()->importPack(archive), 0) << "the rest of the pack imports";

    EXPECT_EQ(readFile(inst.paths().appsDir + "/good.zip"), "good");
    const QList<TaviAppPtr> apps = inst.apps("hostile-1");
    ASSERT_EQ(apps.size(), 1);
    EXPECT_EQ(apps[0]->productId, 1);
    const TaviPackPtr pack = inst.packs().value(0);
    ASSERT_TRUE(pack);
    EXPECT_TRUE(pack->icon.isEmpty()) << "a hostile icon name is not kept for removal to follow";

    const QString log = inst.log();
    for (const char* named : {"resource 2 (Climber)", "resource 3 (Absolute)", "resource 4 (Hidden climber)",
                              "resource 5 (Bad icon)", "pack hostile-1 icon ../../victim.png"})
        EXPECT_TRUE(log.contains(named)) << named;
    EXPECT_TRUE(log.contains("ERROR"));

    // Removing the pack again must not follow anything out either.
    EXPECT_EQ(Core::instance()->removePack(pack.data()), 0);
    EXPECT_EQ(changes(before, outside()), QStringList());
    EXPECT_EQ(readFile(inst.root().path("victim.txt")), "keep me");
    EXPECT_TRUE(QDir(inst.paths().tempDir).isEmpty());
}

TEST_F(HostilePack, ArchiveEntriesClimbingOutOrAbsoluteLandInsideTheUnpackFolder) {
    const QString tag = QUuid::createUuid().toString(QUuid::WithoutBraces);
    PackSource src(inst.work() + "/src", "climb-1", "Climb");
    src.add(resource(1, "Good", "music", "good.mp3"), "good");
    src.write("extra1.txt", "evil one");
    src.write("extra2.txt", "evil two");
    const QString folder = inst.work() + "/stage";
    ASSERT_EQ(src.stage(folder).exitCode, 0);
    QFile::copy(src.dir() + "/extra1.txt", folder + "/extra1.txt");
    QFile::copy(src.dir() + "/extra2.txt", folder + "/extra2.txt");
    const QString archive = inst.work() + "/climb.tvp";
    ASSERT_EQ(archiveFolder(folder, archive).exitCode, 0);
    const QString climbing = "../../../evil-" + tag + ".txt";
    const QString absolute = inst.root().path("evil-abs-" + tag + ".txt");
    ASSERT_EQ(testsupport::run("7za", {"rn", archive, "extra1.txt", climbing}).exitCode, 0);
    ASSERT_EQ(testsupport::run("7za", {"rn", archive, "extra2.txt", absolute}).exitCode, 0);
    ASSERT_TRUE(testsupport::run("7za", {"l", archive}).out.contains("../../../evil-"));

    const auto before = outside();
    EXPECT_EQ(Core::instance()->importPack(archive), 0);
    EXPECT_EQ(readFile(inst.paths().appsDir + "/good.mp3"), "good");
    EXPECT_EQ(changes(before, outside()), QStringList());
    EXPECT_FALSE(QFileInfo::exists(absolute));
    // Where the climbing entry would have gone: the root's parent and above.
    QDir up(inst.root().root());
    for (int i = 0; i < 3 && up.cdUp(); ++i)
        EXPECT_FALSE(QFileInfo::exists(up.filePath("evil-" + tag + ".txt"))) << up.path().toStdString();
    EXPECT_TRUE(QDir(inst.paths().tempDir).isEmpty());
}

TEST_F(HostilePack, SymbolicLinksAreNeverUnpackedNorMovedAndTheirResourcesAreSkipped) {
    PackSource src(inst.work() + "/src", "links-1", "Links");
    src.add(resource(1, "Good", "books", "good.zip", "art/good.png"), "good");
    QJsonObject absLink = resource(2, "Absolute link", "books", "");
    absLink.insert("path", "books/abs.zip");
    absLink.insert("link", inst.root().path("victim.txt"));
    src.add(absLink);
    QJsonObject outLink = resource(3, "Climbing link", "books", "");
    outLink.insert("path", "books/out.zip");
    outLink.insert("link", "../../../victim.txt");
    src.add(outLink);
    QJsonObject innerLink = resource(4, "Inner link", "books", "");
    innerLink.insert("path", "books/inner.zip");
    innerLink.insert("link", "../good.zip");
    src.add(innerLink);
    QJsonObject iconLink = resource(5, "Icon link", "books", "icon.zip");
    iconLink.insert("iconName", "linked.png");
    src.add(iconLink, "icon resource");

    const QString folder = inst.work() + "/stage";
    ASSERT_EQ(src.stage(folder, {"--unchecked"}).exitCode, 0);
    // An icon that is a link, and a folder link with a file "through" it.
    ASSERT_TRUE(QFile::link(inst.root().path("victim.png"), folder + "/icons/linked.png"));
    ASSERT_TRUE(QFile::link(inst.root().root(), folder + "/dirlink"));
    const QString archive = inst.work() + "/links.tvp";
    ASSERT_EQ(archiveFolder(folder, archive).exitCode, 0);
    writeFile(inst.work() + "/through.txt", "through");
    const QString withThrough = inst.work() + "/through.tvp";
    QFile::copy(archive, withThrough);
    ASSERT_EQ(testsupport::run("7za", {"a", withThrough, inst.work() + "/through.txt"}).exitCode, 0);
    ASSERT_EQ(testsupport::run("7za", {"rn", withThrough, "through.txt", "dirlink/victim.txt"}).exitCode, 0);

    const auto before = outside();
    EXPECT_EQ(Core::instance()->importPack(withThrough), 0);

    EXPECT_EQ(changes(before, outside()), QStringList());
    EXPECT_EQ(readFile(inst.root().path("victim.txt")), "keep me");
    expectNoLinksInDataFolders();
    const QList<TaviAppPtr> apps = inst.apps("links-1");
    ASSERT_EQ(apps.size(), 1);
    EXPECT_EQ(apps[0]->name, "Good");
    const QString log = inst.log();
    for (const char* named :
         {"books/abs.zip", "books/out.zip", "books/inner.zip", "resource 5 (Icon link)", "dirlink"})
        EXPECT_TRUE(log.contains(named)) << named;
    EXPECT_TRUE(QDir(inst.paths().tempDir).isEmpty());

    const TaviPackPtr pack = inst.packs().value(0);
    ASSERT_TRUE(pack);
    Core::instance()->removePack(pack.data());
    EXPECT_EQ(changes(before, outside()), QStringList());
}

TEST_F(HostilePack, UserBuiltPackWithLinksCopiesOnlyRealFiles) {
    const QString folder = inst.work() + "/user";
    writeFile(folder + "/pack.ini", "[pack]\nver=1\ntype=2\n");
    writeFile(folder + "/song.mp3", "song");
    ASSERT_TRUE(QFile::link(inst.root().path("victim.txt"), folder + "/victim.mp3"));
    const QString archive = inst.work() + "/mine.tvp";
    ASSERT_EQ(archiveFolder(folder, archive).exitCode, 0);

    const auto before = outside();
    EXPECT_EQ(Core::instance()->importPack(archive), 0);
    EXPECT_EQ(testsupport::listTree(inst.paths().externalDir), QStringList({"mine/", "mine/song.mp3"}));
    EXPECT_EQ(inst.apps().size(), 1);
    EXPECT_TRUE(inst.log().contains("victim.mp3"));
    EXPECT_EQ(changes(before, outside()), QStringList());
}

TEST_F(HostilePack, RemovalNeverDeletesOutsideTheFolderARowNames) {
    // Rows as an older client, a damaged catalogue or a hand edit might hold them.
    ASSERT_TRUE(QFile::link(inst.root().root(), inst.paths().appsDir + "/linkdir"));
    TaviPack pack;
    pack.packId = "bad";
    pack.name = "Bad";
    pack.icon = "../../victim.png";
    ASSERT_TRUE(inst.db().addPack(&pack));
    const QList<QPair<QString, QString>> publisherRows = {{"../../victim.txt", "../../victim.png"},
                                                          {inst.root().path("victim.txt"), "x.png"},
                                                          {"linkdir/victim.txt", "../../../victim.png"},
                                                          {"", ""}};
    int product = 1;
    for (const auto& row : publisherRows) {
        _TaviApp app;
        app.productId = product++;
        app.path = row.first;
        app.icon = row.second;
        app.packId = "bad";
        ASSERT_TRUE(inst.db().addApp(&app));
    }
    for (bool external : {true, false}) {
        _TaviApp user;
        user.isUserFile = true;
        user.isExternal = external;
        user.path = "../../victim.txt";
        user.packId = "bad";
        ASSERT_TRUE(inst.db().addApp(&user));
    }
    ASSERT_EQ(inst.apps("bad").size(), 6);

    const auto before = outside();
    EXPECT_EQ(Core::instance()->removePack(&pack), 0);
    EXPECT_EQ(changes(before, outside()), QStringList());
    EXPECT_EQ(readFile(inst.root().path("victim.txt")), "keep me");
    EXPECT_EQ(readFile(inst.root().path("victim.png")), "keep my picture");
    EXPECT_TRUE(inst.apps().isEmpty()) << "the rows go even when their files are not deleted";
    EXPECT_TRUE(inst.packs().isEmpty());
    EXPECT_TRUE(inst.log().contains("not deleted"));
}

TEST_F(HostilePack, ArchiveNamesThatAreNoFolderNameAreRefused) {
    // ".tvp" alone and "..tvp" would make the temp folder itself the unpack folder.
    for (const QString& name : {QString(".tvp"), QString("..tvp")}) {
        SCOPED_TRACE(name.toStdString());
        const QString archive = inst.work() + "/" + name;
        PackSource src(inst.work() + "/src" + name, "p", "P");
        src.add(resource(1, "One", "books", "one.zip"));
        ASSERT_EQ(src.build(archive).exitCode, 0);
        writeFile(inst.paths().tempDir + "/keep.txt", "other temp file");
        EXPECT_EQ(Core::instance()->importPack(archive), 1);
        EXPECT_EQ(readFile(inst.paths().tempDir + "/keep.txt"), "other temp file");
        EXPECT_TRUE(inst.packs().isEmpty());
    }
}

} // namespace

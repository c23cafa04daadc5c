// The pack builder as publishers use it (checks, the layout it writes, user-
// built packs) and packs it built preinstalled by the client's setup run.

#include "catalogue/db.h"
#include "packs/packdb.h"
#include "support/packsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace packsupport;
using testsupport::ProcessResult;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

class Builder : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString out() const { return dir.path() + "/out.tvp"; }
};

TEST_F(Builder, SaysWhatIsWrongWithTheInputAndWritesNothing) {
    PackSource src(dir.path() + "/src", "p-1", "Pack", "art/pack.png");
    src.add(resource(10, "Cat", "books", "cat.zip"));
    src.add(resource(10, "Dog", "books", "dog.zip"));
    src.add(resource(11, "Comic", "comics", "comic.zip"));
    src.add(resource(12, "Ghost", "video", "ghost.mp4"));
    QJsonObject climbing = resource(13, "Climber", "music", "song.mp3");
    climbing.insert("path", "../song.mp3");
    src.add(climbing);
    QJsonObject noIcon = resource(14, "No icon", "music", "tune.mp3");
    noIcon.insert("icon", "art/none.png");
    src.add(noIcon);
    // Files the publisher forgot.
    QFile::remove(src.dir() + "/ghost.mp4");
    QFile::remove(src.dir() + "/art/none.png");

    const ProcessResult r = src.build(out());
    EXPECT_EQ(r.exitCode, 1);
    for (const char* said : {"resource 2 (Dog): duplicate product id 10, already used by resource 1",
                             "resource 3 (Comic): unknown kind \"comics\"",
                             "resource 4 (Ghost): file \"ghost.mp4\": no such file",
                             "resource 5 (Climber): path \"../song.mp3\" must stay inside the pack",
                             "resource 6 (No icon): icon \"art/none.png\": no such file"})
        EXPECT_TRUE(r.err.contains(said)) << said << "\n" << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out()));

    writeFile(dir.path() + "/broken.json", "{ \"packId\": ");
    const ProcessResult broken =
        testsupport::run(packbuilder(), {"build", dir.path() + "/broken.json", out()});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_TRUE(broken.err.contains("not a JSON object"));

    const ProcessResult usage = testsupport::run(packbuilder(), {"bake", "x"});
    EXPECT_EQ(usage.exitCode, 2);

    PackSource unnamed(dir.path() + "/unnamed", "", "");
    const ProcessResult nameless = unnamed.build(out());
    EXPECT_EQ(nameless.exitCode, 1);
    EXPECT_TRUE(nameless.err.contains("packId is missing"));
    EXPECT_TRUE(nameless.err.contains("name is missing"));
}

TEST_F(Builder, WritesTheLayoutTheClientReads) {
    PackSource src(dir.path() + "/src", "layout-1", "Layout", "art/pack.png");
    src.manifest().insert("root", "deep/inside");
    src.add(resource(21, "One", "books", "b/one.zip", "art/shared.png"), "one");
    src.add(resource(22, "Two", "courseware", "c/two.zip", "art/shared.png"), "two");
    const ProcessResult r = src.build(out());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    const QString unpacked = dir.path() + "/unpacked";
    ASSERT_EQ(testsupport::run("7za", {"x", out(), "-o" + unpacked}).exitCode, 0);
    EXPECT_EQ(testsupport::listTree(unpacked),
              QStringList({"deep/", "deep/inside/", "deep/inside/b/", "deep/inside/b/one.zip",
                           "deep/inside/c/", "deep/inside/c/two.zip", "deep/inside/icons/",
                           "deep/inside/icons/pack.png", "deep/inside/icons/shared.png",
                           "deep/inside/pack.db", "deep/inside/pack.ini", "deep/inside/pack.sha256"}));
    // The checksums cover every file of the pack, and sha256sum agrees with them.
    const ProcessResult check = testsupport::run("sha256sum", {"-c", "--strict", "pack.sha256"}, 30000, {},
                                                 unpacked + "/deep/inside");
    EXPECT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();
    EXPECT_EQ(check.out.count(": OK"), 6)
        << check.out.toStdString(); // two books, two icons, pack.db, pack.ini
    QSettings ini(unpacked + "/deep/inside/pack.ini", QSettings::IniFormat);
    EXPECT_EQ(ini.value("pack/ver").toInt(), 1);
    EXPECT_EQ(ini.value("pack/type").toInt(), 1);
    PackDB db(unpacked + "/deep/inside/pack.db", "builder-check");
    ASSERT_TRUE(db.open());
    TaviPack pack;
    ASSERT_TRUE(db.getPack(&pack));
    EXPECT_EQ(pack.packId, "layout-1");
    EXPECT_EQ(pack.icon, "pack.png");
    DataSet<TaviApp> apps;
    ASSERT_TRUE(db.getApps(&apps));
    ASSERT_EQ(apps.size(), 2);
    EXPECT_EQ(apps[1]->productId, 22);
    EXPECT_EQ(apps[1]->path, "c/two.zip");
    EXPECT_EQ(apps[1]->icon, "shared.png");
}

TEST_F(Builder, BuildsUserBuiltPacks) {
    PackSource src(dir.path() + "/src", "", "");
    src.manifest() = QJsonObject{{"type", 2}, {"files", QJsonArray{"x/a.mp3", "y/b.png"}}};
    src.write("x/a.mp3", "a");
    src.write("y/b.png", "b");
    ASSERT_EQ(src.build(out()).exitCode, 0);
    const QString unpacked = dir.path() + "/unpacked";
    ASSERT_EQ(testsupport::run("7za", {"x", out(), "-o" + unpacked}).exitCode, 0);
    EXPECT_EQ(testsupport::listTree(unpacked), QStringList({"a.mp3", "b.png", "pack.ini", "pack.sha256"}));
    EXPECT_EQ(testsupport::run("sha256sum", {"-c", "--strict", "pack.sha256"}, 30000, {}, unpacked).exitCode,
              0);
    QSettings ini(unpacked + "/pack.ini", QSettings::IniFormat);
    EXPECT_EQ(ini.value("pack/type").toInt(), 2);

    src.manifest() = QJsonObject{{"type", 2}, {"files", QJsonArray{"x/a.mp3", "z/a.mp3"}}};
    src.write("z/a.mp3", "other a");
    const ProcessResult clash = src.build(out());
    EXPECT_EQ(clash.exitCode, 1);
    EXPECT_TRUE(clash.err.contains("same name")) << clash.err.toStdString();
}

TEST(Preinstall, SetupRunImportsEveryPackOfTheFolder) {
    testsupport::TempRoot root;
    root.installClient();
    const QString packDir = root.path("packs");
    PackSource a(root.path("src/a"), "pre-a", "Pre A", "art/a.png");
    a.add(resource(31, "A book", "books", "a.zip", "art/ai.png"), "a book");
    ASSERT_EQ(a.build(packDir + "/a.tvp").exitCode, 0);
    PackSource b(root.path("src/b"), "pre-b", "Pre B");
    b.add(resource(32, "B video", "video", "v/b.mp4"), "b video");
    ASSERT_EQ(b.build(packDir + "/b.tvp").exitCode, 0);
    writeFile(packDir + "/notes.txt", "not a pack");

    const ProcessResult r = testsupport::run(root.clientExe(), {"--setup", "--packdir", packDir}, 120000,
                                             testsupport::clientEnv(root.path("tmp")));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    EXPECT_EQ(readFile(root.path("data/apps/a.zip")), "a book");
    EXPECT_EQ(readFile(root.path("data/apps/v/b.mp4")), "b video");
    EXPECT_TRUE(QFileInfo::exists(root.path("data/packicons/a.png")));
    EXPECT_TRUE(QDir(root.path("temp")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    DB db(root.path("data/main.db"), "check");
    ASSERT_TRUE(db.open());
    unsigned packs = 0, apps = 0;
    ASSERT_TRUE(db.getPackCount(packs));
    ASSERT_TRUE(db.getAppCount(apps));
    EXPECT_EQ(packs, 2u);
    EXPECT_EQ(apps, 2u);
    db.close();
    EXPECT_TRUE(root.readLog().contains("pack dir:" + packDir));
}

} // namespace

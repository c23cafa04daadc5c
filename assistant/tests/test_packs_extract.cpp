// extract() with the real 7za (and with stand-ins that are missing, fail,
// crash or take long), the pack-root search and the pack database reader.

#include "packs/extract.h"
#include "packs/packdb.h"
#include "packs/packimport.h"
#include "platform/log.h"
#include "sharedinstall.h"
#include "support/packsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

class Extract : public ::testing::Test {
protected:
    void SetUp() override {
        tavi::setupClientLogging(logDir.path());
        writeFile(dir.path() + "/src/a.txt", "alpha");
        writeFile(dir.path() + "/src/sub/b.txt", "beta");
        archive = dir.path() + "/x.7z";
        ASSERT_EQ(packsupport::archiveFolder(dir.path() + "/src", archive).exitCode, 0);
        dest = dir.path() + "/out";
    }
    void TearDown() override { setExtractTool(QString()); }

    // A stand-in for 7za: a shell script with the given body.
    QString tool(const QString& name, const QByteArray& body) {
        const QString path = dir.path() + "/" + name;
        writeFile(path, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
        return path;
    }
    QString log() const { return readFile(logDir.path() + "/debug/taviassistant.log"); }

    QTemporaryDir dir;
    QTemporaryDir logDir;
    QString archive;
    QString dest;
};

TEST_F(Extract, UnpacksAndRefusesOrReplacesAnExistingFolder) {
    ExtractReport report;
    ASSERT_TRUE(extract(archive, dest, false, &report));
    EXPECT_EQ(readFile(dest + "/sub/b.txt"), "beta");
    EXPECT_EQ(report.exitCode, 0);

    writeFile(dest + "/stale.txt", "old");
    EXPECT_FALSE(extract(archive, dest, false, &report));
    EXPECT_TRUE(report.refused);
    EXPECT_FALSE(report.toolFailed);
    EXPECT_TRUE(QFileInfo::exists(dest + "/stale.txt")) << "a refused destination is left alone";
    EXPECT_TRUE(log().contains("dir exists"));

    EXPECT_TRUE(extract(archive, dest, true));
    EXPECT_FALSE(QFileInfo::exists(dest + "/stale.txt")) << "overwriting starts from an empty folder";
    EXPECT_EQ(readFile(dest + "/a.txt"), "alpha");
    EXPECT_EQ(QDir(dir.path()).entryList(QStringList() << ".extract-*", QDir::Files | QDir::Hidden).size(),
              0);
}

TEST_F(Extract, InASharedFolderWhatIsUnpackedBelongsToTheGroup) {
    // The archive keeps modes only the owner may change (what 7za restores).
    ASSERT_TRUE(QFile::setPermissions(dir.path() + "/src/sub/b.txt", QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(dir.path() + "/src/sub", QFile::ReadOwner | QFile::WriteOwner |
                                                                   QFile::ExeOwner | QFile::ReadGroup |
                                                                   QFile::ExeGroup));
    const QString kept = dir.path() + "/kept-modes.7z";
    ASSERT_EQ(packsupport::archiveFolder(dir.path() + "/src", kept).exitCode, 0);
    const QString shared = dir.path() + "/shared";
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_EQ(chmod(QFile::encodeName(shared).constData(), 02775), 0);
    ASSERT_TRUE(sharedinstall::adopt(QFile::encodeName(shared).toStdString()));
    ASSERT_TRUE(extract(kept, shared + "/book", false));
    for (const char* entry : {"book", "book/sub", "book/sub/b.txt", "book/a.txt"}) {
        struct stat st;
        ASSERT_EQ(stat(QFile::encodeName(shared + "/" + entry).constData(), &st), 0) << entry;
        EXPECT_EQ(st.st_mode & (S_IRGRP | S_IWGRP), mode_t(S_IRGRP | S_IWGRP)) << entry;
        if (S_ISDIR(st.st_mode)) {
            EXPECT_TRUE(st.st_mode & S_ISGID) << entry;
        }
    }
}

TEST_F(Extract, ToolTroubleIsReportedWithItsStatusAndOutput) {
    struct Case {
        const char* what;
        QString program;
        const char* logged;
    };
    const QList<Case> cases = {
        {"missing", dir.path() + "/nowhere/7za", "could not start"},
        {"failing", tool("fail7za", "echo 'boom: disk on fire' >&2\nexit 2"),
         "exit code 2: boom: disk on fire"},
        {"crashing", tool("crash7za", "kill -SEGV $$"), "crashed"},
        {"failing only when unpacking",
         tool("halfway7za", "if [ \"$1\" = x ]; then echo 'Data Error' >&2; exit 2; fi\nexec 7za \"$@\""),
         "Data Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setExtractTool(c.program);
        ExtractReport report;
        EXPECT_FALSE(extract(archive, dest, true, &report));
        EXPECT_TRUE(report.toolFailed);
        EXPECT_FALSE(report.refused);
        EXPECT_TRUE(log().contains(c.logged)) << log().right(600).toStdString();
    }

    setExtractTool(QString());
    writeFile(dir.path() + "/not.tvp", "this is text, not an archive");
    EXPECT_FALSE(extract(dir.path() + "/not.tvp", dest, true));
    EXPECT_TRUE(log().contains("Cannot open the file as archive"));
}

TEST_F(Extract, WaitsForASlowToolInsteadOfCuttingItOff) {
    // Longer than the 30 seconds an extraction used to be given.
    setExtractTool(tool("slow7za", "if [ \"$1\" = x ]; then sleep 32; fi\nexec 7za \"$@\""));
    ASSERT_TRUE(extract(archive, dest, true));
    EXPECT_EQ(readFile(dest + "/sub/b.txt"), "beta");
}

TEST_F(Extract, LinksInTheArchiveAreLeftOutAndListed) {
    const QString src = dir.path() + "/linked";
    writeFile(src + "/real.txt", "real");
    ASSERT_TRUE(QFile::link("/etc/hostname", src + "/abs-link"));
    ASSERT_TRUE(QFile::link("real.txt", src + "/inner-link"));
    ASSERT_TRUE(QFile::link("../../..", src + "/we*ird link"));
    const QString linked = dir.path() + "/linked.7z";
    ASSERT_EQ(packsupport::archiveFolder(src, linked).exitCode, 0);

    ExtractReport report;
    ASSERT_TRUE(extract(linked, dest, true, &report));
    EXPECT_EQ(testsupport::listTree(dest), QStringList({"real.txt"}));
    QStringList skipped = report.skippedLinks;
    skipped.sort();
    EXPECT_EQ(skipped, QStringList({"abs-link", "inner-link", "we*ird link"}));
    EXPECT_TRUE(log().contains("symbolic link in archive not unpacked: we*ird link"));
}

// ---- finding the pack root ---------------------------------------------------------------

TEST(PackRoot, OutermostNestedCandidateAndLastSiblingWin) {
    QTemporaryDir dir;
    const QString u = dir.path();
    EXPECT_EQ(packs::findPackRoot(u), QString()) << "an empty folder has no root";

    writeFile(u + "/a/b/c/pack.db", "");
    EXPECT_EQ(packs::findPackRoot(u), u + "/a/b/c");
    writeFile(u + "/a/pack.ini", "");
    EXPECT_EQ(packs::findPackRoot(u), u + "/a") << "the outer candidate is seen after its subfolders";

    writeFile(u + "/z/pack.db", "");
    EXPECT_EQ(packs::findPackRoot(u), u + "/z") << "among siblings the last listed wins";

    QTemporaryDir other;
    writeFile(other.path() + "/elsewhere/pack.db", "");
    ASSERT_TRUE(QFile::link(other.path() + "/elsewhere", u + "/zz-link"));
    EXPECT_EQ(packs::findPackRoot(u), u + "/z") << "links are not followed";
}

// ---- pack database --------------------------------------------------------------------------

TEST(PackDatabase, ReadsThePackRowAndEveryResource) {
    QTemporaryDir dir;
    packsupport::PackSource src(dir.path() + "/src", "pd-1", "Pack DB", "icons/p.png");
    QJsonObject full = packsupport::resource(77, "Full", "courseware", "c/full.zip", "icons/f.png");
    for (const auto& kv :
         std::initializer_list<std::pair<const char*, QJsonValue>>{{"price", 12},
                                                                   {"starLevel", 4},
                                                                   {"versionCode", 9},
                                                                   {"version", "1.2"},
                                                                   {"catena", "Series"},
                                                                   {"copyright", "Tavi"},
                                                                   {"keyword", "kw"},
                                                                   {"packageName", "pkg"},
                                                                   {"downloadId", "dl-7"},
                                                                   {"fileName", "full-file.zip"},
                                                                   {"firstDate", "2016-02-29"},
                                                                   {"editionReleaseDate", "2017-01-02"},
                                                                   {"size", 4096}})
        full.insert(kv.first, kv.second);
    src.add(full);
    src.add(packsupport::resource(78, "Plain", "video", "v.mp4"), "12345");
    src.manifest().insert("installDate", "2016-03-03");
    ASSERT_EQ(src.stage(dir.path() + "/stage").exitCode, 0);

    PackDB db(dir.path() + "/stage/pack.db", "pd-test");
    ASSERT_TRUE(db.open());
    TaviPack pack;
    ASSERT_TRUE(db.getPack(&pack));
    EXPECT_EQ(pack.packId, "pd-1");
    EXPECT_EQ(pack.name, "Pack DB");
    EXPECT_EQ(pack.icon, "p.png");
    EXPECT_EQ(pack.installDate, QDate(2016, 3, 3));
    DataSet<TaviApp> apps;
    ASSERT_TRUE(db.getApps(&apps));
    ASSERT_EQ(apps.size(), 2);
    const TaviAppPtr a = apps[0];
    EXPECT_EQ(a->productId, 77);
    EXPECT_EQ(a->name, "Full");
    EXPECT_EQ(a->proType, "courseware");
    EXPECT_EQ(a->path, "c/full.zip");
    EXPECT_EQ(a->icon, "f.png");
    EXPECT_EQ(a->price, 12);
    EXPECT_EQ(a->starLevel, 4);
    EXPECT_EQ(a->versionCode, 9);
    EXPECT_EQ(a->size, 4096);
    EXPECT_EQ(a->version, "1.2");
    EXPECT_EQ(a->catena, "Series");
    EXPECT_EQ(a->copyright, "Tavi");
    EXPECT_EQ(a->keyword, "kw");
    EXPECT_EQ(a->packageName, "pkg");
    EXPECT_EQ(a->downloadId, "dl-7");
    EXPECT_EQ(a->fileName, "full-file.zip");
    EXPECT_EQ(a->firstDate, QDate(2016, 2, 29));
    EXPECT_EQ(a->editionReleaseDate, QDate(2017, 1, 2));
    EXPECT_FALSE(a->isUserFile);
    EXPECT_FALSE(a->isExternal);
    EXPECT_EQ(apps[1]->size, 5) << "size defaults to the file's";
    EXPECT_EQ(apps[1]->fileName, "v.mp4");
    db.close();
    EXPECT_FALSE(QSqlDatabase::contains("pd-test")) << "close gives the connection name back";
    EXPECT_EQ(QDir(dir.path() + "/stage").entryList(QStringList() << "pack.db-*", QDir::Files).size(), 0)
        << "reading leaves no journal beside the pack's database";
}

TEST(PackDatabase, RefusesWhatIsNoDatabaseOrHasNoPackRow) {
    QTemporaryDir dir;
    QTemporaryDir logDir;
    tavi::setupClientLogging(logDir.path());
    writeFile(dir.path() + "/text.db", "plain text, long enough to be mistaken for nothing at all");
    {
        PackDB db(dir.path() + "/text.db", "import");
        EXPECT_FALSE(db.open());
    }
    {
        PackDB db(dir.path() + "/missing.db", "import");
        EXPECT_FALSE(db.open());
        EXPECT_FALSE(QFileInfo::exists(dir.path() + "/missing.db"))
            << "opening never creates a pack database";
    }
    {
        QSqlDatabase s = QSqlDatabase::addDatabase("QSQLITE", "make");
        s.setDatabaseName(dir.path() + "/empty.db");
        s.open();
        QSqlQuery(s).exec("create table PackTbl(packId text, name text, icon text, installDate text)");
        s.close();
    }
    QSqlDatabase::removeDatabase("make");
    PackDB db(dir.path() + "/empty.db", "import");
    ASSERT_TRUE(db.open());
    TaviPack pack;
    EXPECT_FALSE(db.getPack(&pack));
    DataSet<TaviApp> apps;
    EXPECT_FALSE(db.getApps(&apps)) << "no AppTbl";
    const QString log = readFile(logDir.path() + "/debug/taviassistant.log");
    EXPECT_TRUE(log.contains("open db failed:"));
    EXPECT_TRUE(log.contains("get pack failed:"));
    EXPECT_TRUE(log.contains("get apps failed:"));
}

} // namespace

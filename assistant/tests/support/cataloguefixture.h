#pragma once
// A real catalogue in a throw-away installation, handed to Core as start-up
// does, with record helpers: what the core, list and pack suites share.

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "catalogue/records.h"
#include "core/core.h"
#include "platform/log.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>
#include <memory>

namespace listtest {

class CatalogueFixture : public ::testing::Test {
protected:
    void SetUp() override {
        registerRecordMetaTypes();
        tavi::setupClientLogging(root.appDir());
        paths = std::make_unique<DataPaths>(root.appDir());
        ASSERT_TRUE(paths->makeDirs());
        db = std::make_unique<DB>(paths->mainDbPath, "default");
        ASSERT_TRUE(db->open());
        ASSERT_TRUE(db->setup());
        Core::instance()->setDb(db.get());
        Core::instance()->setPaths(paths.get());
    }
    void TearDown() override {
        Core::instance()->setDb(nullptr);
        Core::instance()->setPaths(nullptr);
        db.reset();
    }

    // A publisher resource; returns its appId.
    int addApp(const QString& name, const QString& packId = "pack-a", const QString& icon = QString()) {
        _TaviApp app;
        app.productId = ++m_productId;
        app.name = name;
        app.packId = packId;
        app.proType = "books";
        app.icon = icon;
        app.path = name + ".zip";
        EXPECT_TRUE(db->addApp(&app));
        return appIdOf(QString("productId = %1").arg(app.productId));
    }
    // A file the user added; returns its appId.
    int addUserFile(const QString& name, const QString& path, bool external,
                    const QString& packId = "custom") {
        _TaviApp app;
        app.isUserFile = true;
        app.isExternal = external;
        app.name = name;
        app.path = path;
        app.packId = packId;
        EXPECT_TRUE(db->addApp(&app));
        return appIdOf(QString("path = '%1'").arg(path));
    }
    int appIdOf(const QString& condition) {
        DataSet<TaviApp> found;
        EXPECT_TRUE(db->getApps("select * from AppTbl where " + condition + " order by appId desc", &found));
        return found.isEmpty() ? 0 : found.first()->appId;
    }
    void addPack(const QString& packId, const QString& name, const QString& icon = QString(),
                 bool custom = false) {
        TaviPack pack;
        pack.packId = packId;
        pack.name = name;
        pack.icon = icon;
        pack.isCustom = custom;
        ASSERT_TRUE(db->addPack(&pack));
    }
    bool isFavor(int appId) {
        DataSet<TaviApp> found;
        EXPECT_TRUE(db->getApps(QString("select * from AppTbl where appId = %1").arg(appId), &found));
        return !found.isEmpty() && found.first()->favor;
    }

    testsupport::TempRoot root;
    std::unique_ptr<DataPaths> paths;
    std::unique_ptr<DB> db;

private:
    int m_productId = 1000;
};

} // namespace listtest

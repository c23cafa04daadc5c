// Makes one change to an installation's library with the client's own code,
// for the power-cut tests: started with TAVI_KILL_AT=n it is killed at the
// n-th step of the change, as if the power went there. Without it, it makes
// the whole change and prints how many steps it took ("steps N").
//
//   librarychange APPDIR import ARCHIVE
//   librarychange APPDIR remove-pack PACKID
//   librarychange APPDIR remove-app PRODUCTID
//   librarychange APPDIR custom-pack NAME FILE...
//   librarychange APPDIR scene NAME FILE...       (a new scene)
//   librarychange APPDIR rename-scene OLD NEW
//   librarychange APPDIR upgrade                  (from a 2.0.8 layout in the root)
#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "catalogue/playlist.h"
#include "core/dailyscenes.h"
#include "packs/custompack.h"
#include "packs/packimport.h"
#include "packs/upgrade.h"
#include "platform/faultpoint.h"
#include "platform/log.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

int change(DB& db, const DataPaths& paths, const QString& what, const QStringList& args) {
    if (what == "import")
        return packs::importPack(db, paths, args.value(0));
    if (what == "remove-pack" || what == "remove-app") {
        _AppSearchPara para;
        unsigned count = 0;
        DataSet<TaviApp> apps;
        db.searchApps(&para, count, &apps);
        for (const TaviAppPtr& app : apps) {
            if (what == "remove-app" && app->productId == args.value(0).toInt())
                return packs::removeApp(db, paths, app.data(), true);
        }
        _PackSearchPara packPara;
        packPara.orderBy = 2;
        DataSet<TaviPack> packs;
        db.searchPacks(&packPara, count, &packs);
        for (const TaviPackPtr& pack : packs)
            if (pack->packId == args.value(0))
                return packs::removePack(db, paths, pack.data());
        return 1;
    }
    if (what == "custom-pack")
        return addCustomPack(db, paths, args.value(0), args.mid(1)).isEmpty() ? 1 : 0;
    if (what == "scene" || what == "rename-scene") {
        _DailySceneSearchPara para;
        unsigned count = 0;
        DataSet<DailyScene> scenes;
        db.searchDailyScene(&para, count, &scenes);
        if (what == "scene")
            return dailyscenes::save(db, paths, nullptr, args.value(0), args.mid(1)) == dailyscenes::Saved
                       ? 0
                       : 1;
        for (const DailyScenePtr& s : scenes) {
            if (s->name != args.value(0))
                continue;
            QStringList files;
            QStringList titles;
            playlist::read(paths.dailyDir + "/" + s->playlist, files, &titles);
            return dailyscenes::save(db, paths, s.data(), args.value(1), files, titles) == dailyscenes::Saved
                       ? 0
                       : 1;
        }
        return 1;
    }
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: librarychange APPDIR CHANGE ARGS...\n");
        return 2;
    }
    const DataPaths paths(args[0]);
    tavi::setupClientLogging(args[0]);
    int result = 0;
    if (args[1] == "upgrade") {
        QString version = "2.0.8";
        result = doUpdate(version, paths);
    } else {
        paths.makeDirs();
        DB db(paths.mainDbPath, "default");
        if (!db.open() || !db.setup())
            return 3;
        result = change(db, paths, args[1], args.mid(2));
    }
    std::printf("steps %d\n", faultpoint::count());
    return result;
}

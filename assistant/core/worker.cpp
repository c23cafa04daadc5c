#include "worker.h"

#include "core.h"
#include "packs/custompack.h"

Worker::Worker(QObject* parent) : QObject(parent) {}

QString Worker::name() {
    return QString();
}

QString Worker::errorString(int) {
    return tr("unknown error!");
}

// ---- pack import ----------------------------------------------------------------

PackImportWorker::PackImportWorker(const QString& path, QObject* parent) : Worker(parent), m_path(path) {}

QString PackImportWorker::name() {
    return tr("import");
}

QString PackImportWorker::errorString(int r) {
    switch (r) {
    case 2:
        return tr("can not find db file!");
    case 3:
        return tr("open db failed!");
    case 4:
        return tr("exec db query failed!");
    case 6:
        return tr("query pack failed!");
    case 7:
        return tr("add pack failed!");
    case 8:
        return tr("please update client first!");
    default:
        return tr("unknown error!");
    }
}

void PackImportWorker::doWork() {
    emit started();
    const int r = Core::instance()->importPack(m_path);
    emit finished(r);
}

// ---- pack removal -----------------------------------------------------------------

PackDeletingWorker::PackDeletingWorker(TaviPack* pack, QObject* parent) : Worker(parent), m_pack(pack) {}

QString PackDeletingWorker::name() {
    return tr("pack deleting");
}

QString PackDeletingWorker::errorString(int) {
    return tr("unknown error!");
}

void PackDeletingWorker::doWork() {
    emit started();
    Core::instance()->removePack(m_pack);
    emit finished(0);
}

// ---- resource removal ---------------------------------------------------------------

AppDeletingWorker::AppDeletingWorker(_TaviApp* app, QObject* parent) : Worker(parent), m_app(app) {}

QString AppDeletingWorker::name() {
    return tr("app deleting");
}

QString AppDeletingWorker::errorString(int) {
    return tr("unknown error!");
}

void AppDeletingWorker::doWork() {
    emit started();
    Core::instance()->removeApp(m_app, true);
    emit finished(0);
}

// ---- custom pack -----------------------------------------------------------------------

CustomPackAddWorker::CustomPackAddWorker(const QString& packName, const QStringList& files, QObject* parent)
    : Worker(parent), m_packName(packName), m_files(files) {}

QString CustomPackAddWorker::errorString(int r) {
    return r == 1 ? tr("add pack failed!") : tr("unknown error!");
}

void CustomPackAddWorker::doWork() {
    emit started();
    Core* core = Core::instance();
    if (core->db && core->paths)
        m_packId = addCustomPack(*core->db, *core->paths, m_packName, m_files);
    // A pack that was not made is never reported as done.
    emit finished(m_packId.isEmpty() ? 1 : 0);
}

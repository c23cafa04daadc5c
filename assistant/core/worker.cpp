#include "worker.h"

#include "core.h"
#include "packs/custompack.h"

#include <QFileInfo>

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
    case packs::ImportCancelled:
        return tr("The import was cancelled; nothing was changed.");
    case packs::ImportDamaged:
        return tr("The pack is damaged (%1); nothing was imported. Copy it again from where it came from.")
            .arg(m_report.damaged.join(", "));
    default:
        return tr("unknown error!");
    }
}

bool PackImportWorker::isCancelResult(int r) const {
    return r == packs::ImportCancelled;
}

void PackImportWorker::doWork() {
    emit started();
    const int r = Core::instance()->importPack(m_path, this, &m_report);
    emit finished(r);
}

void PackImportWorker::advanced(Stage stage, int done, int total) {
    // Unpacking takes the first 60 of a hundred, checking the next 10,
    // moving and cataloguing the rest; the bar never goes back.
    const double share = total > 0 ? qBound(0.0, double(done) / double(total), 1.0) : 0.0;
    int percent = 0;
    QString text;
    switch (stage) {
    case Unpacking:
        percent = int(share * 60);
        text = tr("Unpacking %1 %").arg(int(share * 100));
        break;
    case Checking:
        percent = 60 + int(share * 10);
        text = tr("Checking the files: %1 of %2").arg(done).arg(total);
        break;
    case Moving:
        percent = total > 0 ? 70 + int(share * 30) : 100;
        text = tr("Moving files and cataloguing: %1 of %2").arg(done).arg(total);
        break;
    }
    percent = qBound(m_lastPercent < 0 ? 0 : m_lastPercent, percent, 100);
    if (percent == m_lastPercent && int(stage) == m_lastStage && stage == Unpacking)
        return;
    m_lastPercent = percent;
    m_lastStage = int(stage);
    emit progress(percent, text, stage == Unpacking);
}

QString PackImportWorker::outcome() const {
    const QString file = QFileInfo(m_path).fileName();
    switch (m_report.result) {
    case packs::ImportOk: {
        QString line = m_report.replaced ? tr("%1: imported with %2 resources, replacing an older copy")
                                         : tr("%1: imported with %2 resources");
        line = line.arg(file).arg(m_report.resources);
        if (!m_report.damaged.isEmpty())
            line += tr("; damaged, left out: %1").arg(m_report.damaged.join(", "));
        if (!m_report.clashing.isEmpty())
            line += tr("; already in another pack, left out: %1").arg(m_report.clashing.join(", "));
        return line;
    }
    case packs::ImportNeedsNewerClient:
        return tr("%1: skipped: needs a newer client").arg(file);
    case packs::ImportExtractFailed:
    case packs::ImportNoDbFile:
    case packs::ImportUnknownType:
        return tr("%1: skipped: not a pack").arg(file);
    case packs::ImportDamaged:
        return tr("%1: damaged: %2").arg(file, m_report.damaged.join(", "));
    case packs::ImportCancelled:
        return tr("%1: cancelled").arg(file);
    default:
        return tr("%1: not imported: %2")
            .arg(file, const_cast<PackImportWorker*>(this)->errorString(m_report.result));
    }
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
    if (core->db() && core->paths())
        m_packId = addCustomPack(*core->db(), *core->paths(), m_packName, m_files);
    // A pack that was not made is never reported as done.
    emit finished(m_packId.isEmpty() ? 1 : 0);
}

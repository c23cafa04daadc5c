#include "core.h"

#include "catalogue/db.h"
#include "packs/packimport.h"
#include "platform/log.h"

// The work lives with the packs; Core hands it the catalogue and the data folders.

int Core::importPack(QString path) {
    return importPack(path, nullptr, nullptr);
}

int Core::importPack(const QString& path, packs::ImportObserver* observer, packs::ImportReport* report) {
    if (!m_db || !m_paths) {
        TLOG_ERROR("pack import before the catalogue is open: " << path);
        return packs::ImportExtractFailed;
    }
    return packs::importPack(*m_db, *m_paths, path, observer, report);
}

int Core::removePack(TaviPack* pack) {
    if (!m_db || !m_paths)
        return 0;
    return packs::removePack(*m_db, *m_paths, pack);
}

int Core::removeApp(_TaviApp* app, bool notify) {
    if (!m_db || !m_paths)
        return 0;
    return packs::removeApp(*m_db, *m_paths, app, notify);
}

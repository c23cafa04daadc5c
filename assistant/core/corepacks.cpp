#include "core.h"

#include "platform/log.h"

// Pack import and removal arrive with the pack code; until then they refuse.
int Core::importPack(QString path) {
    TLOG_ERROR("pack import is not available in this build: " << path);
    return 1;
}

int Core::removePack(TaviPack*) { return 0; }

int Core::removeApp(_TaviApp*, bool) { return 0; }

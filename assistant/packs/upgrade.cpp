#include "upgrade.h"

#include "platform/log.h"

int doUpdate(QString& lastVersion) {
    TLOG_INFO("update from:" << lastVersion);
    return -1;
}

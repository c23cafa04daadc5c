#include "pickerfolder.h"

#include <QDir>
#include <QFileInfo>

namespace {
QString g_lastFolder;
}

QString pickerStartFolder() {
    if (!g_lastFolder.isEmpty() && QFileInfo(g_lastFolder).isDir())
        return g_lastFolder;
    return QDir::homePath();
}

void rememberPickerFolder(const QStringList& chosen) {
    if (!chosen.isEmpty() && !chosen.first().isEmpty())
        g_lastFolder = QFileInfo(chosen.first()).absolutePath();
}

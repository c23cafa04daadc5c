#include "mediaplayer.h"

#include "shelllaunch.h"

#include "platform/log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

MediaPlayer::MediaPlayer(QObject* parent) : QThread(parent) {}

void MediaPlayer::setParams(const QString& path, int productId, const QString& name) {
    m_path = path;
    m_productId = productId;
    m_name = name;
}

void MediaPlayer::run() {
    QString reason;
    const LaunchResult result = openMediaFile(m_path, m_productId, m_name, m_linkFolder, &reason);
    const QString shown = m_name.isEmpty() ? QFileInfo(m_path).fileName() : m_name;
    if (result == LaunchFailed)
        emit failed(shown, reason);
    else if (result == LaunchPlayerFailed)
        emit playFailed(shown, reason);
}

namespace {

// A link named `name` to `path` in folder (emptied of the last song's link
// first); empty when none could be made.
QString makeLink(const QString& path, const QString& name, const QString& folder) {
    QDir dir(folder);
    if (folder.isEmpty() || (!dir.exists() && !QDir().mkpath(folder)))
        return QString();
    for (const QString& old : dir.entryList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot))
        dir.remove(old);
    const QString link = folder + "/" + name;
    // A hard link looks to the player like the file itself; across file
    // systems only a symbolic one can be made.
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()) == 0 ||
        QFile::link(path, link))
        return link;
    TLOG_ERROR("no link to play " << path << " under its name; it plays under its stored name");
    return QString();
}

} // namespace

LaunchResult openMediaFile(QString path, int productId, QString name, const QString& linkFolder,
                           QString* reason) {
    TLOG_DEBUG("openMediaFile productId:" << productId);
    // A display name that is no plain file name would lead out of the folder.
    const bool plainName = !name.isEmpty() && !name.contains('/') && name != "." && name != "..";
    const QString link = plainName && QFileInfo::exists(path) ? makeLink(path, name, linkFolder) : QString();
    const QString played = link.isEmpty() ? path : link;

    const LaunchResult result = shellLaunch(played, reason);
    if (result == LaunchNoProcess)
        return result; // the link stays: the running player opens it by that name
    if (result == LaunchWaited)
        TLOG_DEBUG("openMediaFile done");
    if (!link.isEmpty())
        QFile::remove(link);
    return result;
}

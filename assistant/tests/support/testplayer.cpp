#include "testplayer.h"

#include "testsupport.h"

#include <QDir>
#include <QFile>

namespace testsupport {

namespace {
const char* const kTypes[] = {"audio/mpeg", "audio/x-wav", "audio/ogg", "audio/flac", "audio/mp4",
                              "video/mp4", "video/x-matroska", "video/mpeg", "video/webm", "video/x-msvideo",
                              "video/x-ms-wmv", "video/quicktime", "video/x-flv", "audio/x-scpls",
                              // what an update's installer comes as
                              "application/octet-stream", "application/x-shellscript"};
}

TestPlayer& TestPlayer::instance() {
    static TestPlayer player;
    return player;
}

TestPlayer::TestPlayer() {
    const QString root = m_dir.path();
    const QString program = root + "/testplayer.sh";
    writeFile(program, "#!/bin/sh\n"
                       "log=\"$TAVI_TEST_PLAYER_LOG\"\n"
                       "echo \"arg=$1\" >> \"$log\"\n"
                       "echo \"beside=$(ls -A \"$(dirname \"$1\")\" | tr '\\n' '|')\" >> \"$log\"\n"
                       "case \"$1\" in *.pls) grep '^File' \"$1\" | sed 's/^/entry=/' >> \"$log\";;\n"
                       "  *) echo \"heard=$(head -c 40 \"$1\")\" >> \"$log\";; esac\n"
                       "ms=${TAVI_TEST_PLAYER_STAY_MS:-2000}\n"
                       "sleep $((ms / 1000)).$(printf %03d $((ms % 1000)))\n"
                       "exit ${TAVI_TEST_PLAYER_EXIT:-0}\n");
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner | QFile::ExeUser);
    QStringList types;
    for (const char* t : kTypes)
        types << t;
    writeFile(root + "/data/applications/tavitestplayer.desktop",
              ("[Desktop Entry]\nType=Application\nName=Tavi test player\nExec=" + program +
               " %f\nMimeType=" + types.join(';') + ";\nTerminal=false\n")
                  .toUtf8());
    QByteArray defaults = "[Default Applications]\n";
    for (const QString& t : types)
        defaults += t.toUtf8() + "=tavitestplayer.desktop\n";
    writeFile(root + "/config/mimeapps.list", defaults);
    // The system's media types are known, the system's applications are not.
    QDir().mkpath(root + "/system");
    QFile::link("/usr/share/mime", root + "/system/mime");
    qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
    qputenv("XDG_DATA_DIRS", (root + "/system").toUtf8());
    qputenv("XDG_CONFIG_DIRS", (root + "/config").toUtf8());
    qputenv("TAVI_TEST_PLAYER_LOG", logPath().toUtf8());
    setStayMs(2000);
    setExitStatus(0);
}

void TestPlayer::setStayMs(int ms) {
    qputenv("TAVI_TEST_PLAYER_STAY_MS", QByteArray::number(ms));
}

void TestPlayer::setExitStatus(int status) {
    qputenv("TAVI_TEST_PLAYER_EXIT", QByteArray::number(status));
}

QStringList TestPlayer::calls() const {
    return readFile(logPath()).split('\n', Qt::SkipEmptyParts);
}

void TestPlayer::clear() {
    QFile::remove(logPath());
}

} // namespace testsupport

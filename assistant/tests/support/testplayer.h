#pragma once
// A media player for the launch tests, made the desktop's default for songs,
// videos, playlists and installers in private freedesktop.org folders (XDG_DATA_HOME,
// XDG_CONFIG_HOME), which this process and its children use from then on.
// The player records the file it was given, the files beside it at that
// moment and, for a playlist, its entries; then it stays for a while like a
// person listening would, or hands over at once.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

class TestPlayer {
public:
    // Sets the folders up once per process (GIO reads them once).
    static TestPlayer& instance();

    // How long the next players stay (ms); 0 = they end at once, as a player
    // that hands the file to a running instance does.
    void setStayMs(int ms);
    // The status the next players end with (0 unless set).
    void setExitStatus(int status);
    // One line per start: "arg=<file>", then "beside=<names in its folder>",
    // then "heard=<its first 40 bytes>" (a playlist: "entry=..." lines).
    QStringList calls() const;
    void clear();
    // The folder the desktop entry and its program live in.
    QString folder() const { return m_dir.path(); }
    QString logPath() const { return m_dir.path() + "/player.log"; }
    // A file whose type no application of ours opens.
    static const char* unknownType() { return "text/plain"; }

private:
    TestPlayer();
    QTemporaryDir m_dir;
};

} // namespace testsupport

// The daily scenes' playlist files: what is written is what a player's plain
// PLS reader takes (no quoting, UTF-8), and old GB2312 playlists written by an
// INI writer still read back.

#include "catalogue/playlist.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QTextCodec>
#include <gtest/gtest.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

// How a media player reads a PLS file: "[playlist]", then Key=Value lines
// taken literally, FileN by number, up to NumberOfEntries.
QStringList playerReads(const QByteArray& raw) {
    const QStringList lines = QString::fromUtf8(raw).split('\n');
    if (lines.value(0).trimmed() != "[playlist]")
        return {"<no playlist header>"};
    QHash<int, QString> files;
    int count = -1;
    for (const QString& line : lines.mid(1)) {
        const int eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QString key = line.left(eq);
        if (key.startsWith("File"))
            files.insert(key.mid(4).toInt(), line.mid(eq + 1));
        else if (key == "NumberOfEntries")
            count = line.mid(eq + 1).toInt();
        else if (key != "Version")
            return {"<unknown key " + key + ">"};
    }
    QStringList out;
    for (int n = 1; n <= count; ++n)
        out << files.value(n, "<missing entry>");
    return out;
}

TEST(Playlist, WhatIsWrittenIsWhatAPlayerReads) {
    QTemporaryDir dir;
    const QStringList files{dir.path() + "/morning song.mp3",
                            dir.path() + QString::fromUtf8("/儿歌, 第二首.wav"),
                            dir.path() + "/it's \"quoted\"; really.ogg", dir.path() + "/a=b#c.mp4"};
    const QString path = dir.path() + "/s/s.pls";
    QString error;
    EXPECT_FALSE(playlist::write(path, files, &error)) << "no folder yet";
    EXPECT_FALSE(error.isEmpty());
    QDir().mkpath(dir.path() + "/s");
    ASSERT_TRUE(playlist::write(path, files, &error)) << error.toStdString();
    const QByteArray raw = readFile(path).toUtf8();
    EXPECT_EQ(playerReads(raw), files);
    EXPECT_TRUE(raw.contains("NumberOfEntries=4\nVersion=2\n"));
    QStringList back;
    ASSERT_TRUE(playlist::read(path, back));
    EXPECT_EQ(back, files);

    // An empty list: no File keys at all.
    ASSERT_TRUE(playlist::write(path, {}));
    EXPECT_EQ(readFile(path), "[playlist]\nNumberOfEntries=0\nVersion=2\n");
    ASSERT_TRUE(playlist::read(path, back));
    EXPECT_TRUE(back.isEmpty());
    EXPECT_FALSE(playlist::read(dir.path() + "/none.pls", back));
}

TEST(Playlist, AnOldGb2312PlaylistReadsBack) {
    QTemporaryDir dir;
    // As an older installation's INI writer left it: GB2312, quotes around a value with a comma.
    const QString song = QString::fromUtf8("C:\\儿歌\\小兔子, 乖乖.mp3");
    QString escaped = song;
    escaped.replace("\\", "\\\\");
    QByteArray raw = "[playlist]\r\nFile1=\"" + QTextCodec::codecForName("GB2312")->fromUnicode(escaped) +
                     "\"\r\nFile3=D:\\\\x.mp3\r\nNumberOfEntries=3\r\nVersion=2\r\n";
    writeFile(dir.path() + "/old.pls", raw);
    QStringList files;
    ASSERT_TRUE(playlist::read(dir.path() + "/old.pls", files));
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(files[0], song);
    EXPECT_EQ(files[1], "") << "a numbered entry that is not there reads as empty";
    EXPECT_EQ(playlist::missing(files).size(), 3);
}

} // namespace

#include "playlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>

namespace playlist {

namespace {

QString decode(const QByteArray& raw) {
    QTextCodec::ConverterState state;
    const QString text = QTextCodec::codecForName("UTF-8")->toUnicode(raw.constData(), raw.size(), &state);
    if (state.invalidChars == 0)
        return text;
    if (QTextCodec* gb = QTextCodec::codecForName("GB2312"))
        return gb->toUnicode(raw);
    return text;
}

// Older installations wrote their playlists through an INI writer, which
// quotes values holding commas and the like and escapes inside the quotes.
QString unquote(QString value) {
    value = value.trimmed();
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"')) {
        const QString inner = value.mid(1, value.size() - 2);
        QString out;
        for (int i = 0; i < inner.size(); ++i) {
            if (inner[i] == '\\' && i + 1 < inner.size())
                ++i;
            out += inner[i];
        }
        return out;
    }
    return value;
}

} // namespace

bool read(const QString& path, QStringList& files, QStringList* titles) {
    files.clear();
    if (titles)
        titles->clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QString text = decode(f.readAll());
    QHash<int, QString> entries;
    QHash<int, QString> named;
    int count = 0;
    bool inGroup = false;
    for (QString line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inGroup = line.compare("[playlist]", Qt::CaseInsensitive) == 0;
            continue;
        }
        const int eq = line.indexOf('=');
        if (!inGroup || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = unquote(line.mid(eq + 1));
        if (key.compare("NumberOfEntries", Qt::CaseInsensitive) == 0) {
            count = value.toInt();
        } else if (key.startsWith("File", Qt::CaseInsensitive)) {
            bool ok = false;
            const int n = key.mid(4).toInt(&ok);
            if (ok && n >= 1)
                entries.insert(n, value);
        } else if (key.startsWith("Title", Qt::CaseInsensitive)) {
            bool ok = false;
            const int n = key.mid(5).toInt(&ok);
            if (ok && n >= 1)
                named.insert(n, value);
        }
    }
    // NumberOfEntries decides how many there are; a missing entry reads as empty.
    count = qBound(0, count, 100000);
    for (int n = 1; n <= count; ++n) {
        files << entries.value(n);
        if (titles)
            *titles << named.value(n);
    }
    return true;
}

QByteArray format(const QStringList& files, const QStringList& titles) {
    QByteArray out = "[playlist]\n";
    for (int i = 0; i < files.size(); ++i) {
        // A line break inside a name would start a new key; such a file cannot be named here.
        QString entry = QDir::toNativeSeparators(files[i]);
        entry.remove('\n').remove('\r');
        out += "File" + QByteArray::number(i + 1) + "=" + entry.toUtf8() + "\n";
        QString title = titles.value(i);
        title.remove('\n').remove('\r');
        if (!title.trimmed().isEmpty())
            out += "Title" + QByteArray::number(i + 1) + "=" + title.toUtf8() + "\n";
    }
    out += "NumberOfEntries=" + QByteArray::number(files.size()) + "\n";
    out += "Version=2\n";
    return out;
}

bool write(const QString& path, const QStringList& files, QString* error, const QStringList& titles) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    f.write(format(files, titles));
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

QString shownName(const QString& file, const QString& title) {
    if (!title.trimmed().isEmpty())
        return title;
    const QString name = QFileInfo(file).fileName();
    return name.isEmpty() ? file : name;
}

QStringList missing(const QStringList& files) {
    QStringList out;
    for (const QString& f : files)
        if (f.isEmpty() || !QFileInfo(f).isFile())
            out << f;
    return out;
}

const QStringList& mediaPatterns() {
    static const QStringList patterns = {"*.mp3", "*.wav", "*.ogg", "*.avi",  "*.mp4",
                                         "*.mkv", "*.flv", "*.mpg", "*.mpeg", "*.wmv"};
    return patterns;
}

} // namespace playlist

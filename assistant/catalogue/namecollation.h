#pragma once
// The order a teacher expects of names: numbers by their value ("Song 2"
// before "Song 10"), Chinese by its reading (pinyin), capitals ignored; names
// equal in that order follow each other by code point. A collation named
// "names" on a catalogue connection ("order by name collate names"), and the
// same order as bytes (a sort key) that the catalogue keeps beside each
// resource, so that a list in reading order is an index walk instead of a
// comparison per pair.

#include <QByteArray>
#include <QString>

class QSqlDatabase;

// Installs the collation on an open connection; false (and logged) when the
// driver is no SQLite one or the install failed.
bool installNameCollation(QSqlDatabase& db);

// Bytes that compare (memcmp, shorter first on a tie) as the collation
// compares the names.
QByteArray nameSortKey(const QString& name);

#pragma once
// The order a teacher expects of names: numbers by their value ("Song 2"
// before "Song 10"), Chinese by its reading (pinyin), capitals ignored. A
// collation named "names" on a catalogue connection; statements sort with
// "order by name collate names".

class QSqlDatabase;

// Installs the collation on an open connection; false (and logged) when the
// driver is no SQLite one or the install failed.
bool installNameCollation(QSqlDatabase& db);

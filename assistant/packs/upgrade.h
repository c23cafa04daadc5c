#pragma once
// Taking over the data of an older installation when the data version changes.

#include <QString>

class DataPaths;

// -1 when `lastVersion` is not a layout this client knows how to take over
// (only "2.0.8" is); 0 otherwise, also when the take-over stopped on a fault
// (logged; the old data then stays in the backup folder ROOT/2.0.8).
// The data folders are those of the running client.
int doUpdate(QString& lastVersion);
// The same for a given set of data folders.
int doUpdate(QString& lastVersion, const DataPaths& paths);

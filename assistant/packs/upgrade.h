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

// An upgrade that was cut off (the power went half-way) left its backup
// folder with the old settings file in it: the next start takes it up again.
// Every step of the upgrade can be taken again: files are copied only where
// missing and rows replace their own kind.
bool upgradeInterrupted(const DataPaths& paths);
// Takes the interrupted upgrade up again and ends it as doUpdate does.
int resumeUpgrade(const DataPaths& paths);

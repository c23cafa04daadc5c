#pragma once
// A pack the user builds in the client from files he chooses.

#include <QString>
#include <QStringList>

class DB;
class DataPaths;

// Adds a custom pack named `packName` (fresh UUID id, no icon) and, in list
// order, copies each file to custompack/<packName>/<file name> (never over an
// existing file) with a user-file row of its own. Returns the new pack's id,
// empty when the pack could not be added (also when the name cannot be a
// folder name: nothing is added then).
QString addCustomPack(DB& db, const DataPaths& paths, const QString& packName, const QStringList& files);

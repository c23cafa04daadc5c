#pragma once
// Taking over the data of an older installation when the data version changes.

#include <QString>

// -1 when `lastVersion` is not a layout this client knows how to take over; 0 otherwise.
int doUpdate(QString& lastVersion);

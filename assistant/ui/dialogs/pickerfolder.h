#pragma once
// Where the file choosers open: the folder a file was last chosen from in
// this run, else the user's home. The client's own folder (its working
// directory) is no place a teacher keeps songs or packs.

#include <QString>
#include <QStringList>

QString pickerStartFolder();
// Remembers the folder of the first chosen file (nothing when none was chosen).
void rememberPickerFolder(const QStringList& chosen);

#pragma once
// The values a list widget's items hold under role, in order; with
// selectedOnly those of the selected items alone.

#include <QListWidget>
#include <QStringList>

inline QStringList itemData(const QListWidget* list, int role, bool selectedOnly = false) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (!selectedOnly || list->item(i)->isSelected())
            out << list->item(i)->data(role).toString();
    return out;
}

#pragma once
// The pack grid's items: the pack icon, its name and the trash square.

#include "ui/lists/applistitemdelegate.h"

class PackListItemDelegate : public IconListItemDelegate {
    Q_OBJECT
public:
    explicit PackListItemDelegate(QObject* parent = nullptr);
};

#pragma once
// The favourites tab: the favourites grid, centred with a margin around it.

#include "core/clientcontext.h"

#include <QWidget>

class FavorForm : public QWidget {
    Q_OBJECT
public:
    explicit FavorForm(const ClientContext& context, QWidget* parent = nullptr);
};

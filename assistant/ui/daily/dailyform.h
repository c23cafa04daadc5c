#pragma once
// The content page's form for the daily scenes: the daily grid, centred.

#include "core/clientcontext.h"

#include <QWidget>

class DailyForm : public QWidget {
    Q_OBJECT
public:
    explicit DailyForm(const ClientContext& context, QWidget* parent = nullptr);
};

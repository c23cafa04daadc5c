#include "dailyform.h"

#include "ui/daily/dailylistwidget.h"

#include <QBoxLayout>

DailyForm::DailyForm(const ClientContext& context, QWidget* parent) : QWidget(parent) {
    setObjectName("DailyForm");
    setWindowTitle(tr("daily"));
    auto* list = new DailyListWidget(context, this);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(list, 18);
    row->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->addLayout(row, 12);
    column->addStretch(2);
}

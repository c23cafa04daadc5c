#include "favorform.h"

#include "ui/favor/favorlistwidget.h"

#include <QBoxLayout>

FavorForm::FavorForm(const ClientContext& context, QWidget* parent) : QWidget(parent) {
    setObjectName("FavorForm");
    setWindowTitle(tr("favor"));
    auto* list = new FavorListWidget(context, this);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(list, 18);
    row->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->addLayout(row, 12);
    column->addStretch(2);
}

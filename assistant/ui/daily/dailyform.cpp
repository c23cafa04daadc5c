#include "dailyform.h"

DailyForm::DailyForm(QWidget* parent) : QWidget(parent) {
    setObjectName("DailyForm");
    setWindowTitle(tr("daily"));
}

#include "mgmtform.h"

MgmtForm::MgmtForm(QWidget* parent) : QWidget(parent) {
    setObjectName("MgmtForm");
    setWindowTitle(tr("mgmt"));
}

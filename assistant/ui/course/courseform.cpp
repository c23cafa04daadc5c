#include "courseform.h"

CourseForm::CourseForm(QWidget* parent) : QWidget(parent) {
    setObjectName("CourseForm");
    setWindowTitle(tr("course"));
}

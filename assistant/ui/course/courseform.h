#pragma once
// The content page's form for the course schedule; an empty page until its views are built.

#include <QWidget>

class CourseForm : public QWidget {
    Q_OBJECT
public:
    explicit CourseForm(QWidget* parent = nullptr);
};

#pragma once
// The content page's form for the profile and the client update; an empty page until its views are built.

#include <QWidget>

class MgmtForm : public QWidget {
    Q_OBJECT
public:
    explicit MgmtForm(QWidget* parent = nullptr);
};

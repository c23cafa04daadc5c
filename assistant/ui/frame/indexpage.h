#pragma once
// The start page: five large picture buttons, one for each working area.

#include "ui/frame/contentpage.h"

class IndexPage : public QWidget {
    Q_OBJECT
public:
    explicit IndexPage(QWidget* parent = nullptr);

    // The page whose forms the buttons open (not owned).
    void setContentPage(ContentPage* page) { m_contentPage = page; }
    // What a button does: the content page with the area's form.
    void open(ContentPage::Form form);

signals:
    void showContentPage();

private:
    ContentPage* m_contentPage = nullptr;
};

#pragma once
// The working page: a stack of the five forms with a tab bar of picture
// buttons under it, and a home button that leads back to the index page.

#include "core/clientcontext.h"

#include <QWidget>

class QStackedWidget;
class QToolButton;

class ContentPage : public QWidget {
    Q_OBJECT
public:
    // The five working areas, in the order of the tab bar.
    enum Form { Daily, Course, Pack, Favor, Mgmt, FormCount };

    explicit ContentPage(const ClientContext& context, QWidget* parent = nullptr);

    // A new form of the area (the page makes one of each).
    static QWidget* makeForm(Form form, const ClientContext& context);

    // Checks the form's tab and shows the form.
    void showForm(Form form);
    QWidget* form(Form form) const { return m_forms[form]; }

signals:
    void showIndexPage();

private:
    QStackedWidget* m_formStack = nullptr;
    QWidget* m_forms[FormCount] = {};
    QToolButton* m_tabs[FormCount] = {};
};

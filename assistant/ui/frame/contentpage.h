#pragma once
// The working page: a stack of the five forms with a tab bar of picture
// buttons under it, and a home button that leads back to the index page.

#include "core/clientcontext.h"

#include <QWidget>

class IndexPage;
class QStackedWidget;
class QToolBar;
class QToolButton;

class ContentPage : public QWidget {
    Q_OBJECT
public:
    explicit ContentPage(const ClientContext& context, QWidget* parent = nullptr);

    void setIndexPage(IndexPage* page) { m_indexPage = page; }

    void showDailyForm();
    void showCourseForm();
    void showPackForm();
    void showFavorForm();
    void showMgmtForm();

    QWidget* packForm() const { return m_packForm; }

signals:
    void showIndexPage();

public slots:
    void onHomeBtnClicked();
    void onDailyBtnClicked();
    void onCourseBtnClicked();
    void onPackBtnClicked();
    void onFavorBtnClicked();
    void onMgmtBtnClicked();

private:
    QToolButton* makeTab(const QString& area, const char* name);
    void switchTo(QToolButton* tab, QWidget* form);

    IndexPage* m_indexPage = nullptr;
    QStackedWidget* m_formStack = nullptr;
    QWidget* m_dailyForm = nullptr;
    QWidget* m_courseForm = nullptr;
    QWidget* m_packForm = nullptr;
    QWidget* m_favorForm = nullptr;
    QWidget* m_mgmtForm = nullptr;
    QToolBar* m_toolBar = nullptr;
    QToolButton* m_dailyBtn = nullptr;
    QToolButton* m_courseBtn = nullptr;
    QToolButton* m_packBtn = nullptr;
    QToolButton* m_favorBtn = nullptr;
    QToolButton* m_mgmtBtn = nullptr;
    QToolButton* m_homeBtn = nullptr;
};

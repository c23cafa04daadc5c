#pragma once
// The start page: five large picture buttons, one for each working area.

#include <QWidget>

class ContentPage;
class QPushButton;

class IndexPage : public QWidget {
    Q_OBJECT
public:
    explicit IndexPage(QWidget* parent = nullptr);

    // The page whose forms the buttons open (not owned).
    void setContentPage(ContentPage* page) { m_contentPage = page; }
    ContentPage* contentPage() const { return m_contentPage; }

signals:
    void showContentPage();

public slots:
    void onDailyBtnClicked();
    void onCourseBtnClicked();
    void onPackBtnClicked();
    void onFavorBtnClicked();
    void onMgmtBtnClicked();

private:
    QPushButton* makeButton(const QString& text, const QString& picture, const QSize& size, const char* name);

    ContentPage* m_contentPage = nullptr;
    QPushButton* m_dailyBtn = nullptr;
    QPushButton* m_courseBtn = nullptr;
    QPushButton* m_packBtn = nullptr;
    QPushButton* m_favorBtn = nullptr;
    QPushButton* m_mgmtBtn = nullptr;
};

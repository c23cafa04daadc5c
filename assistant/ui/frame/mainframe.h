#pragma once
// The client's one top-level window: frameless and full screen, a background
// picture chosen by the screen's shape, a top row (avatar, school title,
// search, minimise, close) and the index and content pages.

#include "core/clientcontext.h"

#include <QDialog>

class ContentPage;
class ImportQueue;
class IndexPage;
class QLineEdit;
class QStackedWidget;
class QToolButton;
class TitleLabel;

class MainFrame : public QDialog {
    Q_OBJECT
public:
    explicit MainFrame(const ClientContext& context, QWidget* parent = nullptr);

    // The background picture for a window of this width-to-height ratio, or an
    // empty name where the table has no row for it.
    static QString backgroundForRatio(double ratio);
    // The picture whose shape is closest to the ratio (used while the window
    // has no background yet and the table has no row).
    static QString nearestBackground(double ratio);

    QString avatarPath() const { return m_avatarPath; }
    // The resource name of the background on screen (empty before the first resize).
    QString backgroundPicture() const { return m_background; }

public slots:
    // Full screen, also where no window manager acts on the request.
    void showOnWholeScreen();
    void changeAvatar();
    void onTitleClicked();
    void search();
    void showIndexPage();
    void showContentPage();
    void refreshUser();
    // Imports pack files (opened from the file manager) on the pack tab, once
    // no job or dialog holds the window.
    void importPackFiles(const QStringList& files);
    // No program could open a resource or a scene: the teacher hears why.
    void onLaunchFailed(const QString& name, const QString& reason);
    void onPlayFailed(const QString& name, const QString& reason);
    void onStillPlaying();
    // Esc and other rejections go through the exit question like every close.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void applyBackground(const QString& picture);
    void importNow(const QStringList& files);
    void onImportsRefused(const QStringList& files);

    ClientContext m_context;
    QString m_avatarPath;
    QString m_background;
    bool m_asking = false;
    ImportQueue* m_imports = nullptr;
    QToolButton* m_avatarBtn = nullptr;
    TitleLabel* m_titleLabel = nullptr;
    QLineEdit* m_searchEdit = nullptr;
    QStackedWidget* m_pageStack = nullptr;
    IndexPage* m_indexPage = nullptr;
    ContentPage* m_contentPage = nullptr;
};

#pragma once
// What the update suites share: the desktop's file handler caught in the
// process, the update flow run inside the application's own event loop (so a
// flow that ends the client is seen as QApplication::exec() returning its
// code, and the suite lives on), and the message boxes it shows read and
// answered as they come.

#include "support/updatesupport.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <functional>

namespace updatetest {

// exec()'s code when the flow returned without ending the client, and when
// it did not return within the time given.
constexpr int kFlowReturned = 77;
constexpr int kFlowTimedOut = 78;

// Runs flow from inside QApplication::exec() and returns exec()'s code: 0
// (or what the flow asked for) when the flow ended the application,
// kFlowReturned when it came back without, kFlowTimedOut after timeoutMs.
int runInEventLoop(const std::function<void()>& flow, int timeoutMs = 60000);

struct SeenBox {
    QString title;
    QString text;
    QString informative;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString details;
    bool plainText = true; // every label of the box shows its text as written
    bool onScreen = true;  // the box, top to bottom, buttons and all, within its screen
};

// Reads every message box that becomes the active modal window while it
// lives and presses the button choose() names (by its text; an empty name
// presses the box's reject button, else its first one). press does the
// pressing (a real pointer in the *_pointer suites).
class BoxAnswerer {
public:
    using Choose = std::function<QString(const SeenBox&)>;
    using Press = std::function<void(QAbstractButton*)>;
    explicit BoxAnswerer(Choose choose = {}, Press press = {});
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    QList<SeenBox> boxes;
    QStringList texts() const;

private:
    void poll();
    Choose m_choose;
    Press m_press;
    QTimer m_timer;
    QPointer<QMessageBox> m_last;
};

// "Title: text" of each box, for messages.
QString describe(const QList<SeenBox>& boxes);

} // namespace updatetest

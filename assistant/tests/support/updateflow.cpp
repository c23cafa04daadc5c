#include "updateflow.h"

#include "support/testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QScreen>

namespace updatetest {

int runInEventLoop(const std::function<void()>& flow, int timeoutMs) {
    // Timers of this scope: none of them can fire into a later test.
    QTimer returned;
    returned.setSingleShot(true);
    QObject::connect(&returned, &QTimer::timeout, [] { QCoreApplication::exit(kFlowReturned); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(kFlowTimedOut); });
    QTimer starter;
    starter.setSingleShot(true);
    QObject::connect(&starter, &QTimer::timeout, [&] {
        flow();
        // Reached only when the loop is still to run on: a flow that asked
        // for the exit has its code already.
        returned.start(0);
    });
    watchdog.start(timeoutMs);
    starter.start(0);
    return QApplication::exec();
}

BoxAnswerer::BoxAnswerer(Choose choose, Press press)
    : m_choose(std::move(choose)), m_press(std::move(press)) {
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start();
}

BoxAnswerer::~BoxAnswerer() {
    m_timer.stop();
}

QStringList BoxAnswerer::texts() const {
    QStringList out;
    for (const SeenBox& b : boxes)
        out << b.text;
    return out;
}

void BoxAnswerer::poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box == m_last || !box->isVisible())
        return;
    m_last = box;
    SeenBox seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.informative = box->informativeText();
    seen.icon = box->icon();
    seen.details = box->detailedText();
    for (const QLabel* label : box->findChildren<QLabel*>())
        seen.plainText = seen.plainText && (label->text().isEmpty() || label->textFormat() == Qt::PlainText);
    if (const QScreen* screen = box->screen()) {
        const QRect frame = box->frameGeometry(), room = screen->availableGeometry();
        seen.onScreen = frame.top() >= room.top() && frame.bottom() <= room.bottom();
    }
    for (QAbstractButton* b : box->buttons())
        seen.buttons << b->text();
    boxes << seen;
    const QString wanted = m_choose ? m_choose(seen) : QString();
    QAbstractButton* target = nullptr;
    for (QAbstractButton* b : box->buttons()) {
        if (!wanted.isEmpty() && b->text() == wanted)
            target = b;
    }
    for (QAbstractButton* b : box->buttons()) {
        if (!target && box->buttonRole(b) == QMessageBox::RejectRole)
            target = b;
    }
    if (!target)
        target = box->buttons().value(0);
    if (!target)
        return;
    if (m_press)
        m_press(target);
    else
        target->click();
}

QString describe(const QList<SeenBox>& boxes) {
    QStringList out;
    for (const SeenBox& b : boxes)
        out << b.title + ": " + b.text;
    return out.join(" | ");
}

} // namespace updatetest

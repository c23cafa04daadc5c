#include "notice.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace notice {

void show(QWidget* over, const QString& text, int ms) {
    QWidget* window = over ? over->window() : nullptr;
    if (!window)
        return;
    auto* label = window->findChild<QLabel*>("notice", Qt::FindDirectChildrenOnly);
    if (!label) {
        label = new QLabel(window);
        label->setObjectName("notice");
        label->setAccessibleName("notice");
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        // Its look comes from the client's style sheet (QLabel#notice).
        auto* timer = new QTimer(label);
        timer->setObjectName("noticeTimer");
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, label, &QLabel::hide);
    }
    label->setText(text);
    // Big enough to read from the back of the room, never wider than most of the window.
    QFont font = label->font();
    font.setPixelSize(qMax(18, window->height() / 40));
    label->setFont(font);
    const int maxWidth = window->width() * 3 / 4;
    label->setMaximumWidth(maxWidth);
    label->adjustSize();
    const QSize size = label->sizeHint().boundedTo(QSize(maxWidth, window->height() / 2));
    label->resize(size);
    label->move((window->width() - size.width()) / 2,
                window->height() - size.height() - window->height() / 12);
    label->raise();
    label->show();
    label->findChild<QTimer*>("noticeTimer")->start(ms);
}

} // namespace notice

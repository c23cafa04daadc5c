#include "pagedgrid.h"

#include "ui/look/pictures.h"

#include <QAbstractButton>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QString>
#include <QWidget>
#include <QtGlobal>

namespace pagedgrid {

int pageSizeFor(const QSize& listArea) {
    const int rows = qMax(0, listArea.height()) / kCellHeight;
    const int columns = qMax(0, listArea.width()) / kCellWidth;
    return qMax(1, rows * columns);
}

int pageCount(unsigned total, int pageSize) {
    const qint64 size = qMax(1, pageSize);
    const qint64 pages = (qint64(total) + size - 1) / size;
    return int(qMax<qint64>(1, pages));
}

void loadPage(int& page, unsigned& total, int pageSize, const PageQuery& query) {
    pageSize = qMax(1, pageSize);
    page = qMax(0, page);
    for (;;) {
        total = 0;
        const int rows = query(unsigned(pageSize), unsigned(page) * unsigned(pageSize), total);
        if (rows < 0)
            total = 0;
        if (total == 0) {
            // Nothing to page through: no button may lead anywhere.
            page = 0;
            return;
        }
        if (rows > 0 || page == 0)
            return;
        // The page lies behind the end now: show the one before it (or the
        // last one, should several pages have gone at once).
        page = qMin(page - 1, pageCount(total, pageSize) - 1);
    }
}

namespace {
// The arrows are pictures, which look the same when disabled; fade the one
// that leads nowhere so a teacher sees at once there is no other page.
void enableArrow(QAbstractButton* button, bool enabled) {
    button->setEnabled(enabled);
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(button->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(button);
        button->setGraphicsEffect(effect);
    }
    effect->setOpacity(enabled ? 1.0 : 0.3);
}
} // namespace

void paintCentreBackground(QWidget* widget, const QSize& size) {
    pictures::setBackground(widget, ":/images/center_widget_background", size, true);
}

QLabel* makeEmptyLabel(QWidget* list) {
    auto* label = new QLabel(list);
    label->setObjectName("emptyLabel");
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    // It may quote a teacher's search: shown as written.
    label->setTextFormat(Qt::PlainText);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setStyleSheet("QLabel{color:#011B5E; font-size:22px; background:transparent;}");
    label->setGeometry(list->rect());
    label->hide();
    return label;
}

void showWhenEmpty(QLabel* label, unsigned total, const QString& text) {
    if (!label)
        return;
    label->setText(text);
    label->setVisible(total == 0);
    if (total == 0)
        label->raise();
}

void updateButtons(QAbstractButton* prev, QAbstractButton* next, int page, unsigned total, int pageSize) {
    if (next)
        enableArrow(next, total != 0 && page < pageCount(total, pageSize) - 1);
    if (prev)
        enableArrow(prev, page >= 1);
}

} // namespace pagedgrid

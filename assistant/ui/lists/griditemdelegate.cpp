#include "griditemdelegate.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>

GridItemDelegate::GridItemDelegate(bool bodyClicks, QObject* parent)
    : QAbstractItemDelegate(parent), m_bodyClicks(bodyClicks) {}

QSize GridItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return QSize(kItemWidth, kItemHeight);
}

QStringList GridItemDelegate::nameLines(const QString& name, const QFont& font, int width) {
    QStringList lines;
    QTextLayout layout(name, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == 1) {
            // The second line takes the rest, shortened with "…" when it does not fit.
            const QString rest = name.mid(line.textStart()).simplified();
            lines << QFontMetrics(font).elidedText(rest, Qt::ElideRight, width);
            break;
        }
        lines << name.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

void GridItemDelegate::paintName(QPainter* painter, const QPoint& origin, const QString& name,
                                 const QFont& font, const QColor& colour) {
    painter->save();
    painter->setFont(font);
    painter->setPen(colour);
    const QRect area = nameRect().translated(origin);
    const QStringList lines = nameLines(name, font, area.width());
    const int lineHeight = QFontMetrics(font).lineSpacing();
    for (int i = 0; i < lines.size(); ++i)
        painter->drawText(QRect(area.left(), area.top() + i * lineHeight, area.width(), lineHeight),
                          Qt::AlignHCenter | Qt::AlignTop, lines[i]);
    painter->restore();
}

QRect GridItemDelegate::fingerBody(const QModelIndex& index) const {
    return m_bodyClicks && index.isValid() ? QRect(0, 0, kItemWidth, kItemHeight) : QRect();
}

void GridItemDelegate::tap(const QModelIndex& index, int target) {
    if (!index.isValid())
        return;
    if (target == kBody) {
        if (m_bodyClicks)
            emit clicked(index);
    } else if (target >= 0) {
        squareClicked(target, index);
    }
}

bool GridItemDelegate::editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) {
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        // The release that ends a double click is no second click.
        m_pressedIndex = QPersistentModelIndex();
        emit doubleClicked(index);
        return true;
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_pressedIndex = index;
        m_pressedSquare = squareAt(index, mouse->pos() - option.rect.topLeft());
        // A press on a square is ours; elsewhere the view selects as usual.
        return m_pressedSquare >= 0;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int square = squareAt(index, mouse->pos() - option.rect.topLeft());
        // Only a release where the press went counts: pressing the trash and
        // sliding off onto the icon neither removes nor opens anything.
        const bool sameTarget =
            m_pressedIndex.isValid() && m_pressedIndex == index && m_pressedSquare == square;
        m_pressedIndex = QPersistentModelIndex();
        if (square >= 0) {
            if (sameTarget && mouse->button() == Qt::LeftButton)
                squareClicked(square, index);
            return true;
        }
        if (sameTarget && m_bodyClicks)
            emit clicked(index);
        return false;
    }
    default:
        return false;
    }
}

#include "applistitemdelegate.h"

#include "ui/lists/applistmodel.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>

namespace {

const QRect kTrashSquare(134, 0, 16, 16);
const QRect kCourseAddSquare(134, 87, 16, 16);
const QRect kFavorSquare(134, 117, 16, 16);
enum AppSquare { TrashSquare = 0, CourseAddSquare = 1, FavorSquare = 2 };

} // namespace

IconListItemDelegate::IconListItemDelegate(const QString& fontFamily, const QColor& nameColor,
                                           QObject* parent)
    : QAbstractItemDelegate(parent), m_nameFont(fontFamily, 11, QFont::Normal), m_nameColor(nameColor),
      m_nameRole(AppListModel::AppNameRole) {
    addSquare(kTrashSquare, QPixmap(":/images/trash"));
}

int IconListItemDelegate::addSquare(const QRect& square, const QPixmap& picture) {
    m_squares.append({square, picture});
    return m_squares.size() - 1;
}

QVector<QRect> IconListItemDelegate::actionSquares() const {
    QVector<QRect> rects;
    for (const Square& s : m_squares)
        rects.append(s.rect);
    return rects;
}

QSize IconListItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return QSize(kItemWidth, kItemHeight);
}

QPixmap IconListItemDelegate::squarePicture(int square, const QModelIndex&) const {
    return m_squares.value(square).picture;
}

void IconListItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    if (!index.isValid())
        return;
    const QPoint origin = option.rect.topLeft();

    const QPixmap icon = index.data(Qt::DecorationRole).value<QPixmap>();
    if (!icon.isNull())
        painter->drawPixmap(QRect(origin, QSize(128, 128)), icon, icon.rect());

    painter->save();
    painter->setFont(m_nameFont);
    painter->setPen(m_nameColor);
    const QRect nameRect(origin + QPoint(0, 138), origin + QPoint(146, 177));
    const QStringList lines = nameLines(index.data(m_nameRole).toString(), m_nameFont, nameRect.width());
    const int lineHeight = QFontMetrics(m_nameFont).lineSpacing();
    for (int i = 0; i < lines.size(); ++i) {
        const QRect line(nameRect.left(), nameRect.top() + i * lineHeight, nameRect.width(), lineHeight);
        painter->drawText(line, Qt::AlignHCenter | Qt::AlignTop, lines[i]);
    }
    painter->restore();

    for (int i = 0; i < m_squares.size(); ++i) {
        const QPixmap picture = squarePicture(i, index);
        if (!picture.isNull())
            painter->drawPixmap(m_squares[i].rect.translated(origin), picture, picture.rect());
    }
}

QStringList IconListItemDelegate::nameLines(const QString& name, const QFont& font, int width) {
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

int IconListItemDelegate::zoneAt(const QPoint& posInItem) const {
    for (int i = 0; i < m_squares.size(); ++i) {
        if (m_squares[i].rect.contains(posInItem))
            return i;
    }
    return -1;
}

void IconListItemDelegate::emitSquareClicked(int square, const QModelIndex& index) {
    if (square == 0)
        emit removeBtnClicked(index);
}

bool IconListItemDelegate::editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option,
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
        m_pressedZone = zoneAt(mouse->pos() - option.rect.topLeft());
        // A press on a square is ours; elsewhere the view selects as usual.
        return m_pressedZone >= 0;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int zone = zoneAt(mouse->pos() - option.rect.topLeft());
        // Only a release where the press went counts: pressing the trash and
        // sliding off onto the icon neither removes nor opens anything.
        const bool sameTarget = m_pressedIndex.isValid() && m_pressedIndex == index && m_pressedZone == zone;
        m_pressedIndex = QPersistentModelIndex();
        if (zone >= 0) {
            if (sameTarget && mouse->button() == Qt::LeftButton)
                emitSquareClicked(zone, index);
            return true;
        }
        if (sameTarget)
            emit clicked(index);
        return false;
    }
    default:
        return false;
    }
}

AppListItemDelegate::AppListItemDelegate(QObject* parent)
    : IconListItemDelegate(QString::fromUtf8("宋体"), QColor(0xFF, 0xFF, 0xFF), parent),
      m_favorOn(":/images/favor_on"), m_favorOff(":/images/favor_off") {
    addSquare(kCourseAddSquare, QPixmap(":/images/course_add"));
    addSquare(kFavorSquare, QPixmap());
}

QPixmap AppListItemDelegate::squarePicture(int square, const QModelIndex& index) const {
    if (square == FavorSquare)
        return index.data(AppListModel::AppFavorRole).toBool() ? m_favorOn : m_favorOff;
    return IconListItemDelegate::squarePicture(square, index);
}

void AppListItemDelegate::emitSquareClicked(int square, const QModelIndex& index) {
    switch (square) {
    case CourseAddSquare:
        emit courseAddBtnClicked(index);
        break;
    case FavorSquare:
        emit favorBtnClicked(index);
        break;
    default:
        IconListItemDelegate::emitSquareClicked(square, index);
        break;
    }
}

FavorAppListItemDelegate::FavorAppListItemDelegate(QObject* parent)
    : IconListItemDelegate(QString::fromUtf8("微软雅黑"), QColor(0x01, 0x1B, 0x5E), parent) {}

CourseAppListItemDelegate::CourseAppListItemDelegate(QObject* parent)
    : IconListItemDelegate(QString::fromUtf8("微软雅黑"), QColor(0x01, 0x1B, 0x5E), parent) {}

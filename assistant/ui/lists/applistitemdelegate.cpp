#include "applistitemdelegate.h"

#include "ui/lists/applistmodel.h"
#include "ui/look/pictures.h"

#include <QPainter>

namespace {

const QRect kTrashSquare(134, 0, 16, 16);
const QRect kCourseAddSquare(134, 87, 16, 16);
const QRect kFavorSquare(134, 117, 16, 16);
// Finger squares, 44x44 each: from x 122 they end before the next item's icon
// (20 pixels of spacing on); down the edge the course and favour squares meet
// at y 110 instead of overlapping, the trash's reaches up into the spacing.
const QRect kTrashFinger(122, -14, 44, 44);
const QRect kCourseAddFinger(122, 66, 44, 44);
const QRect kFavorFinger(122, 110, 44, 44);
enum AppSquare { TrashSquare = 0, CourseAddSquare = 1, FavorSquare = 2 };

} // namespace

IconListItemDelegate::IconListItemDelegate(const QString& fontFamily, const QColor& nameColor,
                                           QObject* parent)
    : GridItemDelegate(true, parent), m_nameFont(fontFamily, 11, QFont::Normal), m_nameColor(nameColor),
      m_nameRole(AppListModel::AppNameRole) {
    addSquare(kTrashSquare, kTrashFinger, pictures::at(":/images/trash", kTrashSquare.size()));
}

int IconListItemDelegate::addSquare(const QRect& square, const QRect& finger, const QPixmap& picture) {
    m_squares.append({square, finger, picture});
    return m_squares.size() - 1;
}

QVector<QRect> IconListItemDelegate::actionSquares() const {
    QVector<QRect> rects;
    for (const Square& s : m_squares)
        rects.append(s.rect);
    return rects;
}

QVector<QRect> IconListItemDelegate::fingerSquares(const QModelIndex&) const {
    QVector<QRect> rects;
    for (const Square& s : m_squares)
        rects.append(s.finger);
    return rects;
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

    paintName(painter, origin, index.data(m_nameRole).toString(), m_nameFont, m_nameColor);

    for (int i = 0; i < m_squares.size(); ++i) {
        const QPixmap picture = squarePicture(i, index);
        if (!picture.isNull())
            painter->drawPixmap(m_squares[i].rect.translated(origin), picture, picture.rect());
    }
}

int IconListItemDelegate::squareAt(const QModelIndex&, const QPoint& posInItem) const {
    for (int i = 0; i < m_squares.size(); ++i) {
        if (m_squares[i].rect.contains(posInItem))
            return i;
    }
    return -1;
}

void IconListItemDelegate::squareClicked(int square, const QModelIndex& index) {
    if (square == 0)
        emit removeBtnClicked(index);
}

AppListItemDelegate::AppListItemDelegate(QObject* parent)
    : IconListItemDelegate(QString::fromUtf8("宋体"), QColor(0xFF, 0xFF, 0xFF), parent),
      m_favorOn(pictures::at(":/images/favor_on", kFavorSquare.size())),
      m_favorOff(pictures::at(":/images/favor_off", kFavorSquare.size())) {
    addSquare(kCourseAddSquare, kCourseAddFinger,
              pictures::at(":/images/course_add", kCourseAddSquare.size()));
    addSquare(kFavorSquare, kFavorFinger, QPixmap());
}

QPixmap AppListItemDelegate::squarePicture(int square, const QModelIndex& index) const {
    if (square == FavorSquare)
        return index.data(AppListModel::AppFavorRole).toBool() ? m_favorOn : m_favorOff;
    return IconListItemDelegate::squarePicture(square, index);
}

void AppListItemDelegate::squareClicked(int square, const QModelIndex& index) {
    switch (square) {
    case CourseAddSquare:
        emit courseAddBtnClicked(index);
        break;
    case FavorSquare:
        emit favorBtnClicked(index);
        break;
    default:
        IconListItemDelegate::squareClicked(square, index);
        break;
    }
}

FavorAppListItemDelegate::FavorAppListItemDelegate(QObject* parent)
    : IconListItemDelegate(QString::fromUtf8("微软雅黑"), QColor(0x01, 0x1B, 0x5E), parent) {}

CourseAppListItemDelegate::CourseAppListItemDelegate(QObject* parent)
    : IconListItemDelegate(QString::fromUtf8("微软雅黑"), QColor(0x01, 0x1B, 0x5E), parent) {}

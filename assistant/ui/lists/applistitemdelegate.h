#pragma once
// The item delegates of the icon grids: a 128x128 icon, the name under it and
// small action pictures on the right edge whose squares turn mouse releases
// into actions.
//
// IconListItemDelegate holds what the family shares (size, painting, hit
// testing); each member adds its action squares and signals.

#include <QAbstractItemDelegate>
#include <QColor>
#include <QFont>
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QRect>
#include <QStringList>
#include <QVector>

class IconListItemDelegate : public QAbstractItemDelegate {
    Q_OBJECT
public:
    static constexpr int kItemWidth = 147;
    static constexpr int kItemHeight = 173;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // The action squares in hit-test order (the trash square first), in item coordinates.
    QVector<QRect> actionSquares() const;
    QFont nameFont() const { return m_nameFont; }

    // The name as painted under the icon, wrapped to width: at most two lines,
    // the second ending in "…" when the name needs more (the tool tip shows it whole).
    static QStringList nameLines(const QString& name, const QFont& font, int width);
    QColor nameColor() const { return m_nameColor; }

signals:
    void clicked(const QModelIndex& index);
    void removeBtnClicked(const QModelIndex& index);
    void doubleClicked(const QModelIndex& index);

protected:
    // Every member has the trash square at the top of the right edge.
    IconListItemDelegate(const QString& fontFamily, const QColor& nameColor, QObject* parent);

    // The model role that holds the name painted under the icon.
    void setNameRole(int role) { m_nameRole = role; }
    // Adds an action square showing picture; returns its number.
    int addSquare(const QRect& square, const QPixmap& picture);
    // The picture a square shows for an item.
    virtual QPixmap squarePicture(int square, const QModelIndex& index) const;
    // A left-button click on a square: square 0 is the trash.
    virtual void emitSquareClicked(int square, const QModelIndex& index);

private:
    // Which part of the item lies under pos: a square's number, or -1 for the rest.
    int zoneAt(const QPoint& posInItem) const;

    struct Square {
        QRect rect;
        QPixmap picture;
    };
    QVector<Square> m_squares;
    QFont m_nameFont;
    QColor m_nameColor;
    int m_nameRole;
    // Where the last press went: a release acts only on the same item and
    // zone, like a button.
    QPersistentModelIndex m_pressedIndex;
    int m_pressedZone = -1;
};

// Search results and a pack's apps: trash, add to the course schedule, favourite.
class AppListItemDelegate : public IconListItemDelegate {
    Q_OBJECT
public:
    explicit AppListItemDelegate(QObject* parent = nullptr);

signals:
    void courseAddBtnClicked(const QModelIndex& index);
    void favorBtnClicked(const QModelIndex& index);

protected:
    QPixmap squarePicture(int square, const QModelIndex& index) const override;
    void emitSquareClicked(int square, const QModelIndex& index) override;

private:
    QPixmap m_favorOn;
    QPixmap m_favorOff;
};

// The favourites grid: trash only (takes the app off the favourites).
class FavorAppListItemDelegate : public IconListItemDelegate {
    Q_OBJECT
public:
    explicit FavorAppListItemDelegate(QObject* parent = nullptr);
};

// A day's course list: trash only (takes the app off that day).
class CourseAppListItemDelegate : public IconListItemDelegate {
    Q_OBJECT
public:
    explicit CourseAppListItemDelegate(QObject* parent = nullptr);
};

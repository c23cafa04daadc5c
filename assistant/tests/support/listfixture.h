#pragma once
// What the list and pack suites share beside the catalogue fixture: mouse
// gestures on grid items, and answering the modal boxes the views open.

#include "support/cataloguefixture.h"
#include "support/widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace listtest {

// A picture file of one colour.
inline bool writePicture(const QString& path, const QColor& colour, const QSize& size = QSize(64, 64)) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path, "PNG");
}

inline QListView* listView(QWidget* owner) {
    return owner->findChild<QListView*>("listView");
}
inline QToolButton* button(QWidget* owner, const char* name) {
    return owner->findChild<QToolButton*>(name);
}

// Shows a paged grid and resizes it until its list view has exactly the given area.
inline void giveListArea(QWidget* widget, QListView* view, const QSize& area) {
    widget->show();
    widget->resize(area + QSize(200, 40));
    QApplication::processEvents();
    for (int i = 0; i < 3 && view->size() != area; ++i) {
        widget->resize(widget->size() + (area - view->size()));
        QApplication::processEvents();
    }
}

// The names a grid shows, in order (role: the name role of its model).
inline QStringList shownNames(QListView* view, int role) {
    QStringList out;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        out << view->model()->index(row, 0).data(role).toString();
    return out;
}

// Mouse gestures on the item of a row, at a point given in item coordinates
// (the delegates' squares are given that way).
inline QPoint itemPoint(QListView* view, int row, const QPoint& inItem) {
    return view->visualRect(view->model()->index(row, 0)).topLeft() + inItem;
}
inline void press(QListView* view, int row, const QPoint& inItem, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(view->viewport(), button, Qt::NoModifier, itemPoint(view, row, inItem));
}
inline void release(QListView* view, int row, const QPoint& inItem, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseRelease(view->viewport(), button, Qt::NoModifier, itemPoint(view, row, inItem));
}
inline void click(QListView* view, int row, const QPoint& inItem, Qt::MouseButton button = Qt::LeftButton) {
    press(view, row, inItem, button);
    release(view, row, inItem, button);
}

// Points inside the action squares and on the icon itself.
const QPoint kOnTrash(141, 8);
const QPoint kOnCourseAdd(141, 95);
const QPoint kOnFavor(141, 125);
const QPoint kOnIcon(64, 64);

// Runs handler on the next modal widget of type T that opens (polling, so it
// works from inside the views' own exec() loops). Gives up after timeoutMs.
template <typename T> void onNextModal(std::function<void(T*)> handler, int timeoutMs = 30000) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, handler, clock, timeoutMs]() {
        T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!modal && clock->elapsed() < timeoutMs)
            return;
        timer->stop();
        timer->deleteLater();
        if (modal)
            handler(modal);
    });
    timer->start();
}

struct BoxSeen {
    bool seen = false;
    QString title;
    QString text;
};

// Answers the next message box with button and reports what it said.
inline std::shared_ptr<BoxSeen> answerNextBox(QMessageBox::StandardButton button) {
    auto seen = std::make_shared<BoxSeen>();
    onNextModal<QMessageBox>([seen, button](QMessageBox* box) {
        seen->seen = true;
        seen->title = box->windowTitle();
        seen->text = box->text();
        box->button(button)->click();
    });
    return seen;
}

} // namespace listtest

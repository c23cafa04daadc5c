#include "pagedlistwidget.h"

#include "core/core.h"
#include "ui/dialogs/messages.h"
#include "ui/lists/griditemdelegate.h"
#include "ui/lists/pagedgrid.h"
#include "ui/lists/touchgrid.h"
#include "ui/look/pictures.h"

#include <QBoxLayout>
#include <QLabel>
#include <QListView>
#include <QResizeEvent>
#include <QToolButton>

PagedListWidget::PagedListWidget(const ClientContext& context, const QString& objectName,
                                 const QString& title, QWidget* parent, bool ownBackground)
    : QWidget(parent), m_context(context), m_ownBackground(ownBackground) {
    setObjectName(objectName);
    setWindowTitle(title);
    setAutoFillBackground(ownBackground);

    m_prevBtn = pictures::button("prevBtn", "left", QSize(26, 45), this);
    m_nextBtn = pictures::button("nextBtn", "right", QSize(26, 45), this);
    m_prevBtn->setEnabled(false);
    m_nextBtn->setEnabled(false);

    m_listView = new QListView(this);
    m_listView->setObjectName("listView");
    m_listView->setStyleSheet("background-color:transparent; border:0px;");
    m_listView->setViewMode(QListView::IconMode);
    m_listView->setMovement(QListView::Static);
    m_listView->setSpacing(20);
    m_listView->setResizeMode(QListView::Adjust);

    m_emptyLabel = pagedgrid::makeEmptyLabel(m_listView);

    auto* row = new QHBoxLayout(this);
    row->addWidget(m_prevBtn);
    row->addSpacing(10);
    row->addWidget(m_listView);
    row->addSpacing(10);
    row->addWidget(m_nextBtn);

    connect(m_prevBtn, &QToolButton::clicked, this, &PagedListWidget::onPrevBtnClicked);
    connect(m_nextBtn, &QToolButton::clicked, this, &PagedListWidget::onNextBtnClicked);
}

void PagedListWidget::setModelAndDelegate(QAbstractItemModel* model, GridItemDelegate* delegate) {
    m_listView->setModel(model);
    m_listView->setItemDelegate(delegate);
    touchgrid::attach(m_listView, delegate, m_prevBtn, m_nextBtn);
    connect(delegate, &GridItemDelegate::clicked, this, &PagedListWidget::openItem);
    connect(delegate, &GridItemDelegate::removeBtnClicked, this, &PagedListWidget::askAndRemove);
}

void PagedListWidget::askAndRemove(const QModelIndex& index) {
    const Removal r = removal(index);
    if (r.remove && messages::ask(this, r.title, r.question))
        r.remove();
}

void PagedListWidget::openApp(_TaviApp* app) {
    if (app && m_context.core)
        m_context.core->openApp(app);
}

void PagedListWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_ownBackground)
        pagedgrid::paintCentreBackground(this, event->size());

    // The layout has already placed the list view; its area decides.
    m_pageSize = pagedgrid::pageSizeFor(m_listView->size());
    m_emptyLabel->setGeometry(emptyArea());
    reload();
}

void PagedListWidget::load() {
    detachRows();
    pagedgrid::loadPage(m_page, m_total, m_pageSize, [&](unsigned limit, unsigned offset, unsigned& total) {
        return fetchPage(limit, offset, total);
    });
    pagedgrid::updateButtons(m_prevBtn, m_nextBtn, m_page, m_total, m_pageSize);
    attachRows();
    pagedgrid::showWhenEmpty(m_emptyLabel, isEmpty() ? 0 : 1, emptyText());
}

QRect PagedListWidget::emptyArea() const {
    return m_listView->rect();
}

void PagedListWidget::reload() {
    m_page = 0;
    load();
}

void PagedListWidget::onPrevBtnClicked() {
    m_page -= 1;
    load();
}

void PagedListWidget::onNextBtnClicked() {
    m_page += 1;
    load();
}

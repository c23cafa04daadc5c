#pragma once
// The page of records an icon grid shows. The model only points at the page;
// the widget that loaded it owns the DataSet and keeps it alive. Each index
// carries its record, so an index kept across a reload finds none.

#include "catalogue/records.h"

#include <QAbstractListModel>

template <typename T> class RecordListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    // Shows page (nullptr: nothing).
    void setList(DataSet<T>* page) {
        beginResetModel();
        m_list = page;
        endResetModel();
    }

    // The record behind an index of this model, or null when the index is stale.
    QSharedPointer<T> record(const QModelIndex& index) const {
        if (!m_list || !index.isValid() || index.model() != this || index.row() < 0 ||
            index.row() >= m_list->size())
            return {};
        const QSharedPointer<T>& r = m_list->at(index.row());
        return r.data() == index.internalPointer() ? r : QSharedPointer<T>();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() || !m_list ? 0 : m_list->size();
    }
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = QModelIndex()) const override {
        if (parent.isValid() || column != 0 || !m_list || row < 0 || row >= m_list->size())
            return QModelIndex();
        return createIndex(row, column, m_list->at(row).data());
    }

protected:
    DataSet<T>* m_list = nullptr;
};

#pragma once

// The pick list's rows: the dataset's visible fields as columns, and the
// filter that narrows them by what the operator types. Internal to the
// pick list dialog.

#include <QAbstractTableModel>
#include <QList>
#include <QSortFilterProxyModel>
#include <QStringList>

#include "clientdataset.h"

namespace picklist {

// Folded for matching: case-folded, accents stripped ("Ção" ~ "cao").
QString searchable(const QString& text);

class PickListModel : public QAbstractTableModel {
public:
    PickListModel(const TClientDataSet& ds, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const FieldDef& fieldAt(int column) const { return m_ds.fieldDefs()[m_fields[column]]; }
    // The row's visible values folded by searchable(), one string.
    const QString& key(int row) const { return m_keys[row]; }

private:
    const TClientDataSet& m_ds;
    QList<int> m_fields;
    QStringList m_keys;
};

// Keeps the rows whose key holds every word of the needle.
class PickListFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setNeedle(const QString& needle);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex&) const override;

private:
    QStringList m_terms;
};

} // namespace picklist

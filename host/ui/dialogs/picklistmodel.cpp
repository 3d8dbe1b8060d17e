#include "dialogs/picklistmodel.h"

#include <QCoreApplication>

namespace picklist {

QString searchable(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar ch : decomposed) {
        if (ch.category() != QChar::Mark_NonSpacing)
            out.append(ch);
    }
    return out.toCaseFolded();
}

PickListModel::PickListModel(const TClientDataSet& ds, QObject* parent) : QAbstractTableModel(parent), m_ds(ds)
{
    const auto& defs = ds.fieldDefs();
    for (int i = 0; i < defs.size(); ++i) {
        if (defs[i].visible)
            m_fields << i;
    }
    // Built once: hundreds of rows are filtered on every keystroke.
    m_keys.reserve(ds.RecordCount());
    for (int r = 0; r < ds.RecordCount(); ++r) {
        QStringList parts;
        for (int f : m_fields)
            parts << searchable(displayText(ds.valueAt(r, f)));
        m_keys << parts.join(QChar(0x1f));
    }
}

int PickListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_ds.RecordCount();
}

int PickListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant PickListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const FieldDef& def = m_ds.fieldDefs()[m_fields[index.column()]];
    if (role == Qt::DisplayRole)
        return displayText(m_ds.valueAt(index.row(), m_fields[index.column()]));
    if (role == Qt::TextAlignmentRole) {
        const bool numeric = def.type != FieldType::String;
        return int((numeric ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    return {};
}

QVariant PickListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_fields.size())
        return {};
    const FieldDef& def = m_ds.fieldDefs()[m_fields[section]];
    // The screen's column titles are Portuguese; the column name is not a text.
    if (role == Qt::DisplayRole)
        return def.displayLabel.isEmpty()
            ? def.name
            : QCoreApplication::translate("TPickListDialog", def.displayLabel.toUtf8().constData());
    if (role == Qt::TextAlignmentRole)
        return int((def.type != FieldType::String ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return {};
}

void PickListFilter::setNeedle(const QString& needle)
{
    m_terms = searchable(needle).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    invalidateFilter();
}

bool PickListFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    const auto* model = static_cast<const PickListModel*>(sourceModel());
    const QString& key = model->key(sourceRow);
    for (const QString& term : m_terms) {
        if (!key.contains(term))
            return false;
    }
    return true;
}

} // namespace picklist

#include "clientdataset.h"

#include <QCoreApplication>
#include <algorithm>

#include "datapacketfile.h"
#include "errors.h"
#include "textutil.h"

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("TClientDataSet", text);
}

} // namespace

QString displayText(const QVariant& v)
{
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        if (d == double(qint64(d)))
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    return v.toString();
}

// ---- TField ---------------------------------------------------------------

const FieldDef& TField::def() const
{
    return m_ds->m_defs[m_index];
}

QVariant TField::value() const
{
    return m_ds->cell(m_index);
}

QString TField::AsString() const
{
    return displayText(value());
}

int TField::AsInteger() const
{
    const QVariant v = value();
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        if (t.isEmpty())
            return 0;
        bool ok = false;
        const qlonglong n = t.toLongLong(&ok);
        if (!ok)
            throw EQdlError(tr("'%1' não é um valor inteiro válido para o campo %2.").arg(t, def().name));
        return int(n);
    }
    return int(qint64(v.toDouble()));
}

double TField::AsFloat() const
{
    const QVariant v = value();
    if (v.isNull())
        return 0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok)
        throw EQdlError(tr("'%1' não é um número válido para o campo %2.").arg(v.toString(), def().name));
    return d;
}

void TField::setValue(const QVariant& v)
{
    m_ds->cell(m_index) = m_ds->normalised(m_index, v);
}

// ---- TClientDataSet ---------------------------------------------------------

TClientDataSet::TClientDataSet(QString name) : m_name(std::move(name)) {}

void TClientDataSet::addField(FieldDef def)
{
    m_defs << std::move(def);
}

int TClientDataSet::fieldIndex(const QString& name) const
{
    return indexOfName(m_defs.size(), [this](int i) -> const QString& { return m_defs[i].name; }, name);
}

void TClientDataSet::CreateDataSet()
{
    m_rows.clear();
    m_cursor = -1;
    m_appendBuffer.reset();
    m_active = true;
}

void TClientDataSet::Close()
{
    m_rows.clear();
    m_cursor = -1;
    m_appendBuffer.reset();
    m_active = false;
}

QVariant TClientDataSet::normalised(int field, const QVariant& v) const
{
    if (v.isNull())
        return {};
    const FieldDef& def = m_defs[field];
    switch (def.type) {
    case FieldType::String: {
        QString text = v.typeId() == QMetaType::Double && v.toDouble() == double(qint64(v.toDouble()))
                           ? QString::number(qint64(v.toDouble()))
                           : v.toString();
        if (def.size > 0 && text.size() > def.size)
            text.truncate(def.size); // a text field keeps at most its size
        return text;
    }
    case FieldType::Float:
    case FieldType::Integer: {
        if (v.typeId() == QMetaType::QString) {
            const QString t = v.toString().trimmed();
            if (t.isEmpty())
                return {};
            bool ok = false;
            const double d = t.toDouble(&ok);
            if (!ok)
                throw EQdlError(tr("'%1' não é um número válido para o campo %2.").arg(t, def.name));
            return def.type == FieldType::Integer ? QVariant(double(qint64(d))) : QVariant(d);
        }
        const double d = v.toDouble();
        return def.type == FieldType::Integer ? QVariant(double(qint64(d))) : QVariant(d);
    }
    }
    return v;
}

void TClientDataSet::setData(const DataPacket& packet)
{
    if (m_defs.isEmpty()) {
        for (const QString& column : packet.columns) {
            FieldDef def;
            def.name = column;
            def.type = FieldType::String;
            // Numeric columns become number fields: look at the first value.
            const int c = int(m_defs.size());
            for (const QVariantList& row : packet.rows)
                if (c < row.size() && !row[c].isNull()) {
                    if (row[c].typeId() == QMetaType::Double)
                        def.type = FieldType::Float;
                    break;
                }
            m_defs << def;
        }
    }
    QList<int> source(m_defs.size(), -1);
    for (int f = 0; f < m_defs.size(); ++f)
        source[f] = packet.columnIndex(m_defs[f].name);

    QList<QVariantList> rows;
    rows.reserve(packet.rows.size());
    for (const QVariantList& in : packet.rows) {
        QVariantList out(m_defs.size());
        for (int f = 0; f < m_defs.size(); ++f)
            if (source[f] >= 0 && source[f] < in.size())
                out[f] = normalised(f, in[source[f]]);
        rows << out;
    }
    m_rows = std::move(rows);
    m_appendBuffer.reset();
    m_active = true;
    sortByIndex();
    m_cursor = m_rows.isEmpty() ? -1 : 0;
}

void TClientDataSet::LoadFromFile(const QString& path)
{
    const SavedTable table = readSavedTable(path);
    m_defs = table.fields;
    setData(table.packet);
}

void TClientDataSet::sortByIndex()
{
    if (m_indexField.isEmpty())
        return;
    const int f = fieldIndex(m_indexField);
    if (f < 0)
        return;
    std::stable_sort(m_rows.begin(), m_rows.end(), [f](const QVariantList& a, const QVariantList& b) {
        if (a[f].typeId() == QMetaType::Double && b[f].typeId() == QMetaType::Double)
            return a[f].toDouble() < b[f].toDouble();
        return a[f].toString() < b[f].toString();
    });
}

void TClientDataSet::First()
{
    m_cursor = m_rows.isEmpty() ? -1 : 0;
}

void TClientDataSet::Next()
{
    if (m_cursor >= 0 && m_cursor < m_rows.size())
        ++m_cursor;
}

bool TClientDataSet::Eof() const
{
    return m_rows.isEmpty() || m_cursor >= m_rows.size();
}

void TClientDataSet::setRecNo(int row)
{
    if (row >= 0 && row < m_rows.size())
        m_cursor = row;
}

void TClientDataSet::Append()
{
    if (!m_active)
        throw EQdlError(tr("Conjunto de dados %1 fechado.").arg(m_name));
    m_appendBuffer = QVariantList(m_defs.size());
}

void TClientDataSet::Post()
{
    if (!m_appendBuffer)
        return;
    QVariantList row = std::move(*m_appendBuffer);
    m_appendBuffer.reset();
    const int f = m_indexField.isEmpty() ? -1 : fieldIndex(m_indexField);
    qsizetype at = m_rows.size();
    if (f >= 0) {
        at = 0;
        while (at < m_rows.size() && !(row[f].toString() < m_rows[at][f].toString()))
            ++at;
    }
    m_rows.insert(at, row);
    m_cursor = int(at);
}

void TClientDataSet::Delete()
{
    if (m_cursor < 0 || m_cursor >= m_rows.size())
        throw EQdlError(tr("Conjunto de dados %1 sem registro corrente.").arg(m_name));
    m_rows.removeAt(m_cursor);
    if (m_cursor >= m_rows.size())
        m_cursor = m_rows.isEmpty() ? -1 : int(m_rows.size()) - 1;
}

bool TClientDataSet::Locate(const QString& field, const QVariant& value, bool ignoreCase)
{
    const int f = fieldIndex(field);
    if (f < 0)
        throw EQdlError(tr("Campo %1 não encontrado em %2.").arg(field, m_name));
    const QString wanted = value.toString();
    const auto cs = ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int r = 0; r < m_rows.size(); ++r) {
        const QVariant& v = m_rows[r][f];
        const bool match = v.typeId() == QMetaType::Double && value.typeId() != QMetaType::QString
                               ? v.toDouble() == value.toDouble()
                               : v.toString().compare(wanted, cs) == 0;
        if (match) {
            m_cursor = r;
            return true;
        }
    }
    return false;
}

TField TClientDataSet::FieldByName(const QString& name)
{
    const int f = fieldIndex(name);
    if (f < 0)
        throw EQdlError(tr("Campo '%1' não encontrado em %2.").arg(name, m_name.isEmpty() ? tr("conjunto de dados") : m_name));
    return TField(this, f);
}

QVariant TClientDataSet::valueAt(int row, int field) const
{
    if (row < 0 || row >= m_rows.size() || field < 0 || field >= m_defs.size())
        return {};
    return m_rows[row][field];
}

QVariant& TClientDataSet::cell(int field)
{
    if (m_appendBuffer)
        return (*m_appendBuffer)[field];
    if (m_cursor < 0 || m_cursor >= m_rows.size()) {
        // Reading an empty dataset gives null values, as an empty field does.
        static QVariant nothing;
        nothing = QVariant();
        return nothing;
    }
    return m_rows[m_cursor][field];
}

#pragma once

// In-memory client datasets: declared fields with widths, labels and hidden
// flags; rows loaded from a data packet or from a saved file, or appended one
// by one; a cursor that walks them.

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

#include "datapacket.h"
#include "qdl_data_global.h"

enum class FieldType { String, Float, Integer };

// A field value as the operator reads it: whole numbers without a decimal
// point, other numbers with up to 15 digits, null as "".
QDL_DATA_EXPORT QString displayText(const QVariant& value);

struct FieldDef {
    QString name;
    FieldType type = FieldType::String;
    int size = 0;             // text fields: most characters kept (0: no limit)
    QString displayLabel;     // pick-list column title; the name when empty
    int displayWidth = 0;     // pick-list width in characters; size when 0
    bool visible = true;      // hidden fields are not shown in pick lists
};

class TClientDataSet;

// One field of the current row (or of the row being appended).
class QDL_DATA_EXPORT TField {
public:
    TField(TClientDataSet* ds, int index) : m_ds(ds), m_index(index) {}
    const FieldDef& def() const;
    QVariant value() const;
    QString AsString() const;  // null reads as ""
    int AsInteger() const;     // null or "" reads as 0; other text must be a number
    double AsFloat() const;
    void setValue(const QVariant& v);
    void setAsString(const QString& v) { setValue(v); }
    void setAsInteger(int v) { setValue(v); }
    void setAsFloat(double v) { setValue(v); }

private:
    TClientDataSet* m_ds;
    int m_index;
};

class QDL_DATA_EXPORT TClientDataSet {
public:
    explicit TClientDataSet(QString name = {});

    const QString& name() const { return m_name; }

    // Declaration: fields and an optional selected index (rows kept ordered by
    // that field's text).
    void addField(FieldDef def);
    void setIndexFieldName(const QString& field) { m_indexField = field; }
    const QList<FieldDef>& fieldDefs() const { return m_defs; }
    int fieldIndex(const QString& name) const; // -1 when absent; ignores case

    // Open with the declared fields and no rows.
    void CreateDataSet();
    void Close();
    bool Active() const { return m_active; }
    // Close and create again with the declared fields: the way to empty it.
    void EmptyDataSet() { Close(); CreateDataSet(); }

    // Replace the rows by the packet's. Declared fields take the packet
    // column of the same name (text cut to the field's size, numbers kept as
    // doubles); a dataset without declared fields takes the packet's columns.
    void setData(const DataPacket& packet);
    // Load a saved table (the XML data-packet format, see datapacketfile.h);
    // throws EQdlError on a file that cannot be read or is malformed.
    void LoadFromFile(const QString& path);

    // Cursor.
    int RecordCount() const { return int(m_rows.size()); }
    bool IsEmpty() const { return m_rows.isEmpty(); }
    void First();
    void Next();
    bool Eof() const;
    int RecNo() const { return m_cursor; } // 0-based; -1 when empty
    void setRecNo(int row);

    // Editing: Append() starts a new row, Post() stores it (in index order
    // when an index is selected). Field setters outside an append change the
    // current row.
    void Append();
    void Post();
    // Delete the current row; the cursor then stands on the next one.
    void Delete();

    // Move to the first row whose field equals value; case-insensitive for
    // text when ignoreCase. Returns false (cursor unchanged) when none.
    bool Locate(const QString& field, const QVariant& value, bool ignoreCase = true);

    // Throws EQdlError when the field does not exist or there is no current row.
    TField FieldByName(const QString& name);

    // Direct access for viewers (pick list): value at a row and field.
    QVariant valueAt(int row, int field) const;

private:
    friend class TField;
    QVariant& cell(int field);
    QVariant normalised(int field, const QVariant& v) const;
    void sortByIndex();

    QString m_name;
    QList<FieldDef> m_defs;
    QString m_indexField;
    bool m_active = false;
    QList<QVariantList> m_rows;
    int m_cursor = -1;
    std::optional<QVariantList> m_appendBuffer;
};

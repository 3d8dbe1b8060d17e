#pragma once

// Saved client-dataset tables in the XML data-packet format:
//
//   <DATAPACKET Version="2.0">
//     <METADATA><FIELDS>
//       <FIELD attrname="INCOR1" fieldtype="i4"/>
//       <FIELD attrname="NOME" fieldtype="string" WIDTH="30"/>
//     </FIELDS></METADATA>
//     <ROWDATA><ROW INCOR1="12960962" NOME="Salão"/></ROWDATA>
//   </DATAPACKET>
//
// Field types: "string"/"string.uni" (text), "i1".."i8"/"ui1".."ui8"
// (integers), "r4"/"r8"/"fixed"/"fixedFMT" (numbers), "boolean".

#include <QByteArray>
#include <QList>
#include <QString>

#include "clientdataset.h"
#include "datapacket.h"
#include "qdl_data_global.h"

struct SavedTable {
    QList<FieldDef> fields;
    DataPacket packet; // numbers as double, text as QString, absent as null
};

// Throws EQdlError naming the line and what is wrong on malformed input.
QDL_DATA_EXPORT SavedTable parseSavedTable(const QByteArray& xml, const QString& sourceName = {});
// Throws EQdlError when the file cannot be read or is malformed.
QDL_DATA_EXPORT SavedTable readSavedTable(const QString& path);

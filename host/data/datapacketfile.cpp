#include "datapacketfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QXmlStreamReader>

#include "errors.h"
#include "textutil.h"

namespace {

// A parameters file is a handful of lines; anything this large is not one.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

enum class Kind { Text, Integer, Number, Boolean };

bool kindOf(const QString& type, Kind& kind)
{
    const QString t = type.toLower();
    if (t == u"string" || t == u"string.uni" || t == u"date" || t == u"datetime" || t == u"time"
        || t == u"date.iso" || t == u"datetime.iso")
        kind = Kind::Text;
    else if (t == u"i1" || t == u"i2" || t == u"i4" || t == u"i8" || t == u"ui1" || t == u"ui2"
             || t == u"ui4" || t == u"ui8")
        kind = Kind::Integer;
    else if (t == u"r4" || t == u"r8" || t == u"fixed" || t == u"fixedfmt")
        kind = Kind::Number;
    else if (t == u"boolean")
        kind = Kind::Boolean;
    else
        return false;
    return true;
}

[[noreturn]] void fail(const QString& source, const QXmlStreamReader& xml, const QString& what)
{
    throw EQdlError(QCoreApplication::translate("SavedTable", "Arquivo %1 inválido (linha %2): %3")
                        .arg(source.isEmpty() ? QCoreApplication::translate("SavedTable", "de dados") : source)
                        .arg(xml.lineNumber())
                        .arg(what));
}

} // namespace

SavedTable parseSavedTable(const QByteArray& data, const QString& source)
{
    SavedTable table;
    QList<Kind> kinds;
    QXmlStreamReader xml(data);
    bool sawRoot = false, sawFields = false, inRowData = false;
    QStringList path;

    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::DTD)
            fail(source, xml, QCoreApplication::translate("SavedTable", "declarações DTD não são aceitas"));
        if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == u"ROWDATA")
                inRowData = false;
            path.removeLast();
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QString name = xml.name().toString();
        const QString parent = path.isEmpty() ? QString() : path.last();
        path << name;
        if (path.size() == 1) {
            if (name != u"DATAPACKET")
                fail(source, xml, QCoreApplication::translate("SavedTable", "o elemento raiz deve ser DATAPACKET"));
            sawRoot = true;
        } else if (name == u"FIELDS" && parent == u"METADATA") {
            sawFields = true;
        } else if (name == u"FIELD" && parent == u"FIELDS") {
            const auto a = xml.attributes();
            FieldDef def;
            def.name = a.value(QLatin1String("attrname")).toString();
            if (def.name.isEmpty())
                fail(source, xml, QCoreApplication::translate("SavedTable", "campo sem nome"));
            if (indexOfName(table.fields.size(), [&](int i) -> const QString& { return table.fields[i].name; },
                            def.name) >= 0)
                fail(source, xml, QCoreApplication::translate("SavedTable", "campo %1 repetido").arg(def.name));
            Kind kind;
            if (!kindOf(a.value(QLatin1String("fieldtype")).toString(), kind))
                fail(source, xml, QCoreApplication::translate("SavedTable", "tipo de campo desconhecido: %1").arg(a.value(QLatin1String("fieldtype"))));
            def.type = kind == Kind::Integer ? FieldType::Integer
                       : kind == Kind::Number ? FieldType::Float
                                              : FieldType::String;
            if (a.hasAttribute(QLatin1String("WIDTH"))) {
                bool ok = false;
                def.size = a.value(QLatin1String("WIDTH")).toInt(&ok);
                if (!ok || def.size < 0 || def.size > 100000)
                    fail(source, xml, QCoreApplication::translate("SavedTable", "largura inválida no campo %1").arg(def.name));
            }
            table.fields << def;
            table.packet.columns << def.name.toUpper();
            kinds << kind;
        } else if (name == u"ROWDATA" && parent == u"DATAPACKET") {
            if (!sawFields)
                fail(source, xml, QCoreApplication::translate("SavedTable", "ROWDATA antes de METADATA/FIELDS"));
            inRowData = true;
        } else if (name == u"ROW" && inRowData && parent == u"ROWDATA") {
            QVariantList row(table.fields.size());
            for (const auto& attr : xml.attributes()) {
                const int i = table.packet.columnIndex(attr.name().toString());
                if (i < 0)
                    continue; // row-state attributes such as RowState
                const QString text = attr.value().toString();
                bool ok = true;
                switch (kinds[i]) {
                case Kind::Text: row[i] = text; break;
                case Kind::Integer: row[i] = text.isEmpty() ? QVariant() : QVariant(double(text.toLongLong(&ok))); break;
                case Kind::Number: row[i] = text.isEmpty() ? QVariant() : QVariant(text.toDouble(&ok)); break;
                case Kind::Boolean: row[i] = QVariant(text.compare(u"TRUE", Qt::CaseInsensitive) == 0 ? 1.0 : 0.0); break;
                }
                if (!ok)
                    fail(source, xml, QCoreApplication::translate("SavedTable", "valor inválido \"%1\" no campo %2").arg(text.left(40), table.fields[i].name));
            }
            table.packet.rows << row;
        }
    }
    if (xml.hasError())
        fail(source, xml, xml.errorString());
    if (!sawRoot || !sawFields)
        fail(source, xml, QStringLiteral("faltam DATAPACKET/METADATA/FIELDS"));
    return table;
}

SavedTable readSavedTable(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EQdlError(QCoreApplication::translate("SavedTable", "Não foi possível ler o arquivo %1: %2")
                            .arg(path, file.errorString()));
    if (file.size() > kMaxFileSize)
        throw EQdlError(QCoreApplication::translate("SavedTable", "Arquivo %1 grande demais.").arg(path));
    return parseSavedTable(file.readAll(), path);
}

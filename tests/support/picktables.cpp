#include "picktables.h"

TClientDataSet tables(const QList<QStringList>& rows)
{
    TClientDataSet ds(QStringLiteral("cdsMesas"));
    ds.addField({QStringLiteral("NRMESA"), FieldType::String, 4, QStringLiteral("Mesa")});
    ds.addField({QStringLiteral("NMMESA"), FieldType::String, 30, QStringLiteral("Nome")});
    ds.addField({QStringLiteral("IDSTMESAAUX"), FieldType::String, 1, {}, 0, false});
    ds.setIndexFieldName(QStringLiteral("NRMESA"));
    ds.CreateDataSet();
    for (const QStringList& r : rows) {
        ds.Append();
        ds.FieldByName("NRMESA").setAsString(r[0]);
        ds.FieldByName("NMMESA").setAsString(r[1]);
        ds.FieldByName("IDSTMESAAUX").setAsString("N");
        ds.Post();
    }
    ds.First();
    return ds;
}

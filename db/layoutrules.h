#pragma once

// The rules of a stored layout (ITMENUCONFTE), each in one place for the
// services, the screen, the layout file, the restore and the layout check:
// the two button families and their slots, the schema's column widths, when
// a table's button may be removed, and how a button is named in words.

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

#include "storedvalues.h"

// Slots of the two button families: area buttons 01 to 18 (one page), table
// buttons 01 to 48 on each page of an area.
constexpr int NRBUTTONSAMBI = 18;
constexpr int NRBUTTONSMESA = 48;

// IDTPBUTTON of a button, and IDTPBUTONAUX of a table button (its parent's
// type).
inline const QString kTableButtonType = QStringLiteral("3");
inline const QString kAreaButtonType = QStringLiteral("4");

namespace qdl::layout {

// The key of one button row beside its branch and configuration (with them,
// ITMENUCONFTE's primary key): the button's type and number, its page, and
// its parent's type, number and page.
struct ButtonKey {
    QString type, number, page, parentType, parentNumber, parentPage;

    // Where the screen writes each family: an area button on page 1 with no
    // parent; a table button on a page of the area button it stands under.
    static ButtonKey area(const QString& number)
    {
        return {kAreaButtonType, number, QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
    }
    static ButtonKey table(const QString& number, const QString& page, const QString& areaNumber)
    {
        return {kTableButtonType, number, page, kAreaButtonType, areaNumber, QStringLiteral("1")};
    }

    // The key read column by column: column(name) answers the value of the
    // column of that name. The pending list calls the parent's number
    // NRBUTONAUX.
    template <class Column>
    static ButtonKey fromColumns(Column&& column, const char* parentNumberColumn = "NRBUTTONAUX")
    {
        return {column("IDTPBUTTON"),   column("NRBUTTON"),         column("NRPGCONFTELA"),
                column("IDTPBUTONAUX"), column(parentNumberColumn), column("NRPGCONFTAUX")};
    }

    // The key as one text, to look a button up by.
    QString text() const
    {
        return QStringList{type, number, page, parentType, parentNumber, parentPage}.join(QChar(0x1f));
    }
    friend bool operator==(const ButtonKey&, const ButtonKey&) = default;
};

// One button row without its branch and configuration.
struct ButtonRow : ButtonKey {
    QString code; // CDIDENTBUTON: SALA.CDSALA of an area button, MESA.NRMESA of a table button
    std::optional<QString> caption, message;
    std::optional<double> textColour, backColour;
    // DTULTATUITCT as stored; not part of a layout. A row written from a
    // button without it gets the time of the write.
    std::optional<QString> updated;

    const ButtonKey& key() const { return *this; }
    ButtonKey& key() { return *this; }
    // Everything a layout says of the button: all but `updated`.
    bool sameLayout(const ButtonRow& o) const
    {
        return key() == o.key() && code == o.code && caption == o.caption && textColour == o.textColour
            && backColour == o.backColour && message == o.message;
    }
};

// A table or an area stands on one button of a configuration at most: two
// rows of one configuration with the same placement break the layout.
inline QString placementOf(const QString& type, const QString& code)
{
    return type + QChar(0x1f) + code;
}

// The schema's width of each text column a layout reads or writes (both
// databases' schemas declare these). Colours are NUMERIC(10): ten digits.
struct ColumnWidth {
    const char* column;
    int width;
};
inline constexpr ColumnWidth kColumnWidths[] = {
    {"IDTPBUTTON", 1},  {"NRBUTTON", 2},      {"NRPGCONFTELA", 4}, {"IDTPBUTONAUX", 1}, {"NRBUTTONAUX", 2},
    {"NRPGCONFTAUX", 4}, {"CDIDENTBUTON", 10}, {"DSBUTTON", 40},    {"NRCOLORTEXT", 10}, {"NRCOLORBACK", 10},
    {"DSMESSAGEBUT", 255}, {"NMSALA", 30},     {"NMMESA", 30},      {"DSPOSICMESA", 60},
};

// The width of a column of that name (upper case); 0 for one not listed.
inline int columnWidth(QStringView column)
{
    for (const ColumnWidth& c : kColumnWidths)
        if (column == QLatin1String(c.column))
            return c.width;
    return 0;
}

// A key in the form the screen writes, as a condition on a row `t` of
// ITMENUCONFTE: an area button on page 1 with no parent, a table button on
// a page (decimal, no leading zero) under an area button on page 1, button
// numbers of two digits within each family's slots. The layout check reads
// the rows that break it; PostgreSQL's operations refuse to insert one.
inline QString soundKeySql(bool postgres)
{
    const auto numbersUpTo = [](int last) {
        QStringList list;
        for (int n = 1; n <= last; ++n)
            list << QStringLiteral("'%1'").arg(n, 2, 10, QLatin1Char('0'));
        return list.join(QStringLiteral(", "));
    };
    const QString page = postgres ? QStringLiteral("t.NRPGCONFTELA ~ '^[123456789][0123456789]*$'")
                                  : QStringLiteral("(t.NRPGCONFTELA GLOB '[123456789]*' AND NOT t.NRPGCONFTELA GLOB '*[^0123456789]*')");
    return QStringLiteral("(t.IDTPBUTTON = '4' AND t.NRBUTTON IN (%1) AND t.NRPGCONFTELA = '1' AND t.IDTPBUTONAUX = '0' "
                          "AND t.NRBUTTONAUX = '0' AND t.NRPGCONFTAUX = '0') "
                          "OR (t.IDTPBUTTON = '3' AND t.NRBUTTON IN (%2) AND %3 AND t.IDTPBUTONAUX = '4' "
                          "AND t.NRBUTTONAUX IN (%1) AND t.NRPGCONFTAUX = '1')")
        .arg(numbersUpTo(NRBUTTONSAMBI), numbersUpTo(NRBUTTONSMESA), page);
}

// A store's default table (LOJA.NRMESAPADRAO: the one sales without a table
// go to) never stands on a button: the screen never offers it, and a layout
// written by a command skips it. This reads the configuration's store's.
inline constexpr const char* kDefaultTableSql =
    "SELECT L.NRMESAPADRAO FROM LOJA L, CONFTELA C WHERE C.CDFILIAL = :P_CDFILIAL AND C.NRCONFTELA = :P_NRCONFTELA "
    "AND L.CDFILIAL = C.CDFILIAL AND L.CDLOJA = C.CDLOJA";

// A table whose auxiliary status (MESA.IDSTMESAAUX) is occupied ("O") or
// reserved ("S") is in use by the restaurant: no button of it may be
// removed, neither alone nor with its area, by the screen or by a command.
inline constexpr const char* kTableInUseStatuses = "('O', 'S')";
inline bool tableInUse(QStringView idstmesaaux)
{
    return idstmesaaux == u"O" || idstmesaaux == u"S";
}

// A button as an operator or an administrator recognises it: the area or
// table it stands for and where it stands. Stored values are made printable.
inline QString describeButton(const QString& type, const QString& number, const QString& page,
                              const QString& parentNumber, const QString& code)
{
    const auto quoted = [](const QString& text) { return QLatin1Char('"') + printableText(text) + QLatin1Char('"'); };
    if (type == kAreaButtonType)
        return QCoreApplication::translate("LayoutRules", "botão de ambiente %1 (ambiente %2)").arg(quoted(number), quoted(code));
    if (type == kTableButtonType)
        return QCoreApplication::translate("LayoutRules", "botão de mesa %1, página %2, sob o botão de ambiente %3 (mesa %4)")
            .arg(quoted(number), quoted(page), quoted(parentNumber), quoted(code));
    return QCoreApplication::translate("LayoutRules", "botão %1 de tipo %2 (código %3)").arg(quoted(number), quoted(type), quoted(code));
}

inline QString describeButton(const ButtonRow& b)
{
    return describeButton(b.type, b.number, b.page, b.parentNumber, b.code);
}

} // namespace qdl::layout

#include "storedvalues.h"

namespace {

bool isControl(char16_t c)
{
    return c <= 0x1F || (c >= 0x7F && c <= 0x9F);
}

// The embeddings, overrides and isolates of the bidirectional algorithm
// (LRE RLE PDF LRO RLO, LRI RLI FSI PDI): invisible, they reorder what
// follows them on the line, so that a stored value could make the rest of
// a report read otherwise than it is.
bool isBidiControl(char16_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString printableText(QStringView text, LineBreaks lineBreaks)
{
    const auto escaped = [lineBreaks](char16_t c) {
        return (isControl(c) && !(c == u'\n' && lineBreaks == LineBreaks::Keep)) || isBidiControl(c);
    };
    qsizetype first = 0;
    while (first < text.size() && !escaped(text[first].unicode()))
        ++first;
    if (first == text.size())
        return text.toString();
    static const char hex[] = "0123456789abcdef";
    QString out;
    out.reserve(text.size() + 16);
    out += text.left(first);
    for (qsizetype i = first; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!escaped(c)) {
            out += QChar(c);
            continue;
        }
        if (c > 0xFF) {
            out += QLatin1String("\\u");
            out += QLatin1Char(hex[(c >> 12) & 0xF]);
            out += QLatin1Char(hex[(c >> 8) & 0xF]);
        } else {
            out += QLatin1String("\\x");
        }
        out += QLatin1Char(hex[(c >> 4) & 0xF]);
        out += QLatin1Char(hex[c & 0xF]);
    }
    return out;
}

QString cutToWidth(const QString& text, int characters)
{
    if (characters < 0 || text.size() <= characters)
        return text; // fewer code units than the width: fewer characters too
    qsizetype end = 0;
    for (int n = 0; n < characters && end < text.size(); ++n)
        end += text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate() ? 2 : 1;
    return text.left(end);
}

std::optional<int> storedColour(double value)
{
    // Compared as a double before any conversion: NaN fails both sides, and
    // nothing out of range ever reaches the integer.
    if (!(value >= 0.0 && value < double(kHighestStoredColour) + 1.0))
        return std::nullopt;
    return int(value);
}

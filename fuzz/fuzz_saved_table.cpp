// libFuzzer target for the parameters-file reader: any bytes must give a
// table or an EQdlError, never a crash, a leak, a hang or another exception.
// scripts/fuzz.sh builds and runs it.

#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "datapacketfile.h"
#include "errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const SavedTable table = parseSavedTable(bytes, QStringLiteral("fuzz"));
        // What a reader of the table does next: every value by its column.
        for (const QVariantList& row : table.packet.rows)
            for (int i = 0; i < table.packet.columns.size(); ++i)
                (void)row.value(i).toString();
    } catch (const EQdlError&) {
        // a malformed file, said in words: fine
    }
    return 0;
}

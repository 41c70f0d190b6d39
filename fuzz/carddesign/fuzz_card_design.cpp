// Any bytes as a card design: reading gives a design or one message, never a crash or a hang; a
// design read is written back to a document that reads to the same design, and its templates
// expand and its rows check for any row.
#include <carddesign/CardDesignFile.h>
#include <carddesign/CardTemplate.h>
#include <carddesign/RowChecks.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const CardDesignResult read = parseCardDesign(bytes, QStringLiteral("/designs"));
    if (read.design.has_value() == !read.error.isEmpty())
        __builtin_trap(); // a design or a message, never both or neither
    if (!read.design) {
        // The bytes as a template: checked and expanded without reading past its end.
        const QString text = QString::fromUtf8(bytes.left(256));
        checkCardTemplate(text);
        expandCardTemplate(text, {});
        return 0;
    }
    const QByteArray saved = cardDesignToJson(*read.design);
    const CardDesignResult again = parseCardDesign(saved, QStringLiteral("/designs"));
    if (!again.design || !(*again.design == *read.design))
        __builtin_trap(); // what the writer writes, the reader reads back unchanged

    const CardColumns columns(QStringList{QStringLiteral("ID"), QStringLiteral("Name")});
    CardRecord record;
    record.columns = &columns;
    record.values = QStringList{QStringLiteral("12"), QStringLiteral("ANN")};
    record.row = 3;
    checkCardRow(*read.design, {&record, QStringLiteral("2026-01-01")});
    return 0;
}

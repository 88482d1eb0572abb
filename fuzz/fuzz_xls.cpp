// The .xls reader behind the editors' import, in a reader's child as the import runs it: any
// bytes read as sheets or are refused, and every record of a sheet is as wide as its sheet.
#include "ReusedChild.h"

#include "editors/XlsWorkbook.h"

// The library's faults in the child reach AddressSanitizer's interceptors, and symbolizing each
// such report (never seen: the child's output goes nowhere) cost more than the read itself.
// To read the stack of a crash of this target, run its input with ASAN_OPTIONS=symbolize=1.
extern "C" const char* __asan_default_options() {
    return "symbolize=0";
}

namespace {

// Runs in the child: FreeXL opens files by name.
Result<QList<SheetCells>> readXls(const QByteArray& input) {
    const QString path = fuzz::writeScratch(QStringLiteral("book.xls"),
                                            reinterpret_cast<const uint8_t*>(input.constData()),
                                            std::size_t(input.size()));
    return ReadXlsSheets(path, QStringLiteral("not a workbook"));
}

fuzz::ReusedChild& child() {
    static fuzz::ReusedChild reused(readXls);
    return reused;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    child().start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const std::optional<QByteArray> answer =
            child().answer(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))))
        fuzz::checkAnswer(*answer);
    return 0;
}

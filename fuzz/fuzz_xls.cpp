// The .xls reader behind the editors' import: any bytes open as a workbook or are refused,
// and every record of every sheet is as wide as its sheet.
#include "FuzzSupport.h"

#include "editors/Workbook.h"

// The library's faults in the child reach AddressSanitizer's interceptors, and symbolizing each
// such report (never seen: the child's output goes nowhere) cost more than the read itself.
// To read the stack of a crash of this target, run its input with ASAN_OPTIONS=symbolize=1.
extern "C" const char* __asan_default_options() {
    return "symbolize=0";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeScratch(QStringLiteral("book.xls"), data, size);
    Result<std::unique_ptr<Workbook>> book = OpenWorkbook(path);
    if (!book)
        return 0;
    const QStringList sheets = (*book)->sheetNames();
    for (int s = 0; s < sheets.size(); ++s) {
        const Result<std::vector<QStringList>> records = (*book)->records(s);
        if (!records || records->empty())
            continue;
        const qsizetype width = records->front().size();
        for (const QStringList& r : *records)
            fuzz::check(r.size() == width, "records of one sheet differ in width");
    }
    return 0;
}

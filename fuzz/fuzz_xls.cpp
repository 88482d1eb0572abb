// The .xls reader behind the editors' import: any bytes open as a workbook or are refused,
// and every record of every sheet is as wide as its sheet.
#include "FuzzSupport.h"

#include "editors/Workbook.h"

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

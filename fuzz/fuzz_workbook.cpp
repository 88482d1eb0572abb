// A workbook reader of the editors' import (chosen at build time) on any bytes: they read as
// sheets or are refused, and every record of a sheet is as wide as the others. The .xlsx and
// CSV readers run in this process, where the sanitizers see them; the .ods one as the import
// runs it, in a reader's child, since Orcus's XML parser reads past the end of damaged content
// (its own assertion stops it).
#include "FuzzSupport.h"
#include "ReusedChild.h"

#include "editors/CsvWorkbook.h"
#include "editors/OdsWorkbook.h"
#include "editors/XlsxWorkbook.h"

#if !defined(QUENZOR_FUZZ_CHILD) && !defined(QUENZOR_FUZZ_CSV)
namespace {

void checkSheets(const QList<SheetCells>& sheets) {
    for (const SheetCells& s : sheets) {
        fuzz::check(s.error.isEmpty() || s.records.isEmpty(), "a failed sheet kept records");
        for (const QStringList& r : s.records)
            fuzz::check(r.size() == s.records.front().size(),
                        "records of one sheet differ in width");
    }
}

} // namespace
#endif

#if defined(QUENZOR_FUZZ_CHILD)
namespace {

fuzz::ReusedChild& child() {
    static fuzz::ReusedChild reused([](const QByteArray& input) {
        return QUENZOR_FUZZ_CHILD(input, QStringLiteral("not a spreadsheet"));
    });
    return reused;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    child().start();
    return 0;
}
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
#if defined(QUENZOR_FUZZ_CHILD)
    if (const std::optional<QByteArray> answer = child().answer(bytes))
        fuzz::checkAnswer(*answer);
#elif defined(QUENZOR_FUZZ_CSV)
    const std::vector<QStringList> lines = CsvLines(bytes);
    for (const QStringList& l : lines)
        fuzz::check(l.size() == lines.front().size(), "lines differ in width");
    fuzz::check(lines.size() <= std::size_t(bytes.count('\n')) + 1, "more lines than line ends");
#else
    const Result<QList<SheetCells>> sheets = QUENZOR_FUZZ_READER(bytes, QStringLiteral("no."));
    if (sheets)
        checkSheets(*sheets);
    else
        fuzz::check(!sheets.error().isEmpty(), "a failure without a message");
#endif
    return 0;
}

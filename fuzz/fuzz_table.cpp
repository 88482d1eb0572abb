// A table file as its editor's Show reads it (the editor is chosen at build time): every row in
// use, held beyond the shown grid too, orders and goes back to the file without a crash.
#include "FuzzSupport.h"

#include "common/RecordingPrompter.h"
#include "editors/GridTable.h"
#include "editors/PdoTable.h"
#include "editors/SdoTable.h"
#include "project/ProjectLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static GridTable table(QUENZOR_FUZZ_SCHEMA());
    const QString folder = fuzz::scratchFolder();
    fuzz::writeScratch(table.tableName() + QStringLiteral(".xml"), data, size);
    RecordingPrompter prompter;
    table.Show(folder, prompter);
    // A grid holds the rows of a file beyond those it shows, and each row in use goes back.
    const Result<std::vector<QStringList>> rows = table.FileRows();
    if (rows) {
        fuzz::check(rows->size() == std::size_t(table.RowsInUse(0) + table.RowsInUse(1)),
                    "a row in use lost on the way to the file");
        for (const QStringList& row : *rows)
            fuzz::check(row.size() == table.schema().attributes.size(), "a row of the wrong width");
    }
    (void)table.ExportLines();
    return 0;
}

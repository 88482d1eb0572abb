// A table file as its editor's Show reads it (the editor is chosen at build time): rows in use
// never exceed what the grid holds, and what Show kept orders and saves without a crash.
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
    for (int side = 0; side < 2; ++side)
        fuzz::check(table.RowsInUse(side) <= table.grid(side).rowCount(),
                    "more rows in use than held");
    const Result<std::vector<QStringList>> rows = table.FileRows();
    if (rows)
        for (const QStringList& row : *rows)
            fuzz::check(row.size() == table.schema().attributes.size(), "a row of the wrong width");
    (void)table.ExportLines();
    return 0;
}

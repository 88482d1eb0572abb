// The table names the headless commands and the dialogs reach, each with its editor.
#include "editors/PdoTable.h"
#include "editors/SdoTable.h"
#include "editors/TableEditor.h"
#include "editors/TableFiles.h"

namespace {

struct Registered {
    const QString& name;
    const GridTableSchema& (*schema)();
};

const Registered kEditors[] = {
    {kSdoTable, SdoTableSchema},
    {kPdoTable, PdoTableSchema},
};

} // namespace

std::unique_ptr<TableEditor> MakeTableEditor(const QString& tableName) {
    for (const Registered& e : kEditors)
        if (e.name == tableName)
            return std::make_unique<GridTable>(e.schema());
    return nullptr;
}

QStringList TableEditorNames() {
    QStringList names;
    for (const Registered& e : kEditors)
        names.append(e.name);
    return names;
}

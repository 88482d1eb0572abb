// The table names the headless commands and the dialogs reach, each with its editor.
#include "editors/EmcyTable.h"
#include "editors/EmcyWordTable.h"
#include "editors/PdoTable.h"
#include "editors/SdoTable.h"
#include "editors/StorePdoTable.h"
#include "editors/TableEditor.h"
#include "editors/TableFiles.h"

namespace {

template <const GridTableSchema& (*Schema)()> std::unique_ptr<TableEditor> grid() {
    return std::make_unique<GridTable>(Schema());
}

template <typename Editor> std::unique_ptr<TableEditor> make() {
    return std::make_unique<Editor>();
}

struct Registered {
    const QString& name;
    std::unique_ptr<TableEditor> (*make)();
};

const Registered kEditors[] = {
    {kSdoTable, grid<SdoTableSchema>},     {kPdoTable, grid<PdoTableSchema>},
    {kStorePdoTable, make<StorePdoTable>}, {kEmcyTable, make<EmcyTable>},
    {kEmcyWordTable, make<EmcyWordTable>},
};

} // namespace

std::unique_ptr<TableEditor> MakeTableEditor(const QString& tableName) {
    for (const Registered& e : kEditors)
        if (e.name == tableName)
            return e.make();
    return nullptr;
}

QStringList TableEditorNames() {
    QStringList names;
    for (const Registered& e : kEditors)
        names.append(e.name);
    return names;
}

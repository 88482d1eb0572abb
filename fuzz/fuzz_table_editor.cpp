// A table file as the store PDO, EMCY or EMCY word editor's Show reads it (the table is chosen
// at build time), then what the dialog does with it: select, export, save. For the store PDO
// table, bytes after a NUL are the PDO table and after a second one the SDO table it reads.
#include "FuzzSupport.h"

#include "common/RecordingPrompter.h"
#include "editors/EmcyTable.h"
#include "editors/EmcyWordTable.h"
#include "editors/StorePdoTable.h"
#include "editors/TableFiles.h"

namespace {

const QByteArray kPdos = "<rpdodef><row cobid=\"1\" en_bypass=\"0\"/><row cobid=\"2\" "
                         "en_bypass=\"0\"/><row cobid=\"3\" en_bypass=\"2\"/></rpdodef>";

[[maybe_unused]] void exercise(StorePdoTable& t, RecordingPrompter& prompter) {
    for (int side = 0; side < 2; ++side) {
        for (std::size_t p = 0; p < t.pdos[std::size_t(side)].size(); ++p)
            fuzz::check(t.pdos[std::size_t(side)][p].number == int(p) + 1, "a PDO misnumbered");
        if (t.pdos[std::size_t(side)].empty())
            continue;
        t.SelectPdo(side, 0);
        t.SelectEntry(side, 0, prompter);
        t.Copy(side);
        t.Paste(side, prompter);
        t.Modify(side, prompter);
        t.New(side, prompter);
        t.Delete(side);
    }
    fuzz::check(t.Listings()[0].rows.size() + t.Listings()[1].rows.size() == t.ExportLines().size(),
                "listing and export disagree");
    if (const auto rows = t.FileRows())
        fuzz::check(rows->size() == t.ExportLines().size(), "a row lost on the way to the file");
}

[[maybe_unused]] void exercise(EmcyTable& t, RecordingPrompter& prompter) {
    for (int side = 0; side < 2; ++side) {
        t.ShowEntry(side, 0);
        t.Modify(side, prompter);
        t.New(side, prompter);
    }
    if (const auto rows = t.FileRows())
        fuzz::check(rows->size() == t.ExportLines().size(), "a row lost on the way to the file");
}

[[maybe_unused]] void exercise(EmcyWordTable& t, RecordingPrompter& prompter) {
    for (int side = 0; side < 2; ++side) {
        const WordTreeModel& tree = t.tree(side);
        fuzz::check(tree.words() == int(t.words[std::size_t(side)].size()), "tree and list differ");
        const int last = kNodesPerWord * tree.words() - 1;
        if (last < 0)
            continue;
        fuzz::check(WordTreeModel::NodePosition(tree.NodeIndex(last)) == last, "node lost");
        (void)t.ShowNode(last, side);
        t.Modify(side, last, prompter);
        (void)t.ShowNode(0, side);
        t.Modify(side, 0, prompter);
    }
    if (const auto rows = t.FileRows())
        fuzz::check(rows->size() == t.ExportLines().size(), "a row lost on the way to the file");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QUENZOR_FUZZ_EDITOR table;
    const QString folder = fuzz::scratchFolder();
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<QByteArray> parts = input.split('\0');
    const auto write = [](const QString& name, const QByteArray& bytes) {
        fuzz::writeScratch(name + QStringLiteral(".xml"),
                           reinterpret_cast<const uint8_t*>(bytes.constData()),
                           std::size_t(bytes.size()));
    };
    write(table.tableName(), parts.value(0));
    if (table.tableName() == kStorePdoTable) {
        write(kPdoTable, parts.size() > 1 ? parts[1] : kPdos);
        write(kSdoTable, parts.size() > 2 ? parts[2] : QByteArray("<sdo/>"));
    }
    RecordingPrompter prompter;
    table.Show(folder, prompter);
    exercise(table, prompter);
    (void)table.Export(folder, prompter);
    (void)table.Ok(folder, prompter);
    return 0;
}

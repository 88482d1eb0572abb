#include "editors/EmcyTable.h"

#include "common/IntegerText.h"
#include "common/Prompter.h"
#include "editors/RepeatedMinimum.h"
#include "editors/TableFile.h"
#include "editors/TableFiles.h"

namespace {

const QString kBypass = QStringLiteral("bypass_set");
const std::array<QString, 2> kPages = {QStringLiteral("From CAN A"), QStringLiteral("From CAN B")};

} // namespace

const QStringList& EmcyAttributes() {
    static const QStringList names = {
        QStringLiteral("id_dev"),       QStringLiteral("mask_eq_ec"),
        QStringLiteral("mask_eq_er"),   QStringLiteral("mask_eq_m1"),
        QStringLiteral("mask_eq_m2"),   QStringLiteral("mask_eq_m3"),
        QStringLiteral("enmask_eq_ec"), QStringLiteral("enmask_eq_er"),
        QStringLiteral("enmask_eq_m1"), QStringLiteral("enmask_eq_m2"),
        QStringLiteral("enmask_eq_m3"), kBypass};
    return names;
}

QString PackBypass(const TClEmcy& entry, int side) {
    return QString::number(entry.alias_code * 2 + (entry.translate_enabled ? 1 : 0) + 32 * side);
}

int UnpackBypass(std::int32_t value, TClEmcy& entry) {
    entry.translate_enabled = (value & 1) != 0;
    entry.alias_code = (value >> 1) & 0xF;
    return (value & 0x20) ? 1 : 0;
}

QString EmcyTable::tableName() const {
    return kEmcyTable;
}

void EmcyTable::ClearTables() {
    for (int side = 0; side < 2; ++side) {
        lists[std::size_t(side)].clear();
        pages[std::size_t(side)] = EmcyPage{};
    }
}

void EmcyTable::ShowEntry(int side, int position) {
    EmcyPage& page = pages[std::size_t(side)];
    const std::vector<TClEmcy>& list = lists[std::size_t(side)];
    if (position < 0 || position >= int(list.size()))
        return;
    page.selected = position;
    const TClEmcy& e = list[std::size_t(position)];
    page.edits = e.texts;
    page.enabled = e.translate_enabled;
    // A code without a radio leaves the radios as they were.
    if (e.alias_code < kRadios)
        page.alias = e.alias_code;
}

void EmcyTable::showFirstEntries() {
    for (int side = 0; side < 2; ++side)
        if (!lists[std::size_t(side)].empty())
            ShowEntry(side, 0);
}

bool EmcyTable::Show(const QString& projectFolder, Prompter& prompter) {
    shortfall_.clear();
    ClearTables();
    const QString path = TableFilePath(projectFolder, kEmcyTable);
    const TableFileRows read = ReadTableFile(path, EmcyAttributes());
    if (!read.found) {
        prompter.message(QStringLiteral("File XML not found"));
        return true;
    }
    QString problem = read.problem;
    int placed = 0;
    for (const QStringList& row : read.rows) {
        const auto value = ParseIntegerText(row[kEmcyTextFields]);
        if (!value) {
            problem = TableRowProblem(path, placed + 1,
                                      NotIntegerValueProblem(kBypass, row[kEmcyTextFields]));
            break;
        }
        TClEmcy entry;
        for (int f = 0; f < kEmcyTextFields; ++f)
            entry.texts[std::size_t(f)] = row[f].isEmpty() ? QStringLiteral("0") : row[f];
        lists[std::size_t(UnpackBypass(*value, entry))].push_back(std::move(entry));
        ++placed;
    }
    if (problem.isEmpty()) {
        showFirstEntries();
        return true;
    }
    shortfall_.note(read.fileRows);
    ReportReadError(prompter, QStringLiteral("Error in reading file XML"), problem, placed);
    return false;
}

bool EmcyTable::CheckEmcyId(const QString& id, const QString& selectedItem, bool modify, int side,
                            Prompter& prompter) const {
    if (modify && id == selectedItem)
        return false;
    const QString invalid = QStringLiteral("Index Not Valid");
    bool rejected = false;
    if (id.isEmpty()) {
        prompter.message(invalid);
        rejected = true;
    }
    for (const TClEmcy& e : lists[std::size_t(side)])
        if (e.texts[0] == id) {
            prompter.message(invalid);
            return true;
        }
    return rejected;
}

TClEmcy EmcyTable::readPage(int side, const TClEmcy& keep) const {
    const EmcyPage& page = pages[std::size_t(side)];
    TClEmcy e;
    for (int f = 0; f < kEmcyTextFields; ++f)
        e.texts[std::size_t(f)] =
            page.edits[std::size_t(f)].isEmpty() ? QStringLiteral("0") : page.edits[std::size_t(f)];
    e.translate_enabled = page.enabled;
    e.alias_code = page.alias >= 0 ? page.alias : keep.alias_code;
    return e;
}

void EmcyTable::New(int side, Prompter& prompter) {
    EmcyPage& page = pages[std::size_t(side)];
    if (CheckEmcyId(page.edits[0], QString(), false, side, prompter))
        return;
    std::vector<TClEmcy>& list = lists[std::size_t(side)];
    list.push_back(readPage(side, TClEmcy{}));
    page.selected = int(list.size()) - 1;
}

void EmcyTable::Modify(int side, Prompter& prompter) {
    EmcyPage& page = pages[std::size_t(side)];
    std::vector<TClEmcy>& list = lists[std::size_t(side)];
    if (page.selected < 0 || page.selected >= int(list.size()))
        return;
    TClEmcy& entry = list[std::size_t(page.selected)];
    if (CheckEmcyId(page.edits[0], entry.texts[0], true, side, prompter))
        return;
    entry = readPage(side, entry);
}

void EmcyTable::Delete(int side) {
    EmcyPage& page = pages[std::size_t(side)];
    std::vector<TClEmcy>& list = lists[std::size_t(side)];
    if (page.selected < 0 || page.selected >= int(list.size()))
        return;
    list.erase(list.begin() + page.selected);
    page.selected = -1;
}

Result<std::vector<QStringList>> EmcyTable::FileRows() const {
    // Repeated minimum on the ID below "999999"; an equal ID is taken, so the later of equal
    // IDs is written first.
    const OrderRule rule{KeyReading::IntegerText, {QStringLiteral("999999")}, TieRule::TakeLater};
    std::vector<QStringList> rows;
    for (int side = 0; side < 2; ++side) {
        const std::vector<TClEmcy>& list = lists[std::size_t(side)];
        std::vector<QStringList> keys;
        keys.reserve(list.size());
        for (const TClEmcy& e : list)
            keys.push_back({e.texts[0]});
        Result<std::vector<int>> order = OrderEntries(keys, rule);
        if (!order)
            return Fail(order.error());
        for (const int i : *order) {
            const TClEmcy& e = list[std::size_t(i)];
            QStringList row(e.texts.begin(), e.texts.end());
            row << PackBypass(e, side);
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

bool EmcyTable::Ok(const QString& projectFolder, Prompter& prompter) {
    const QString path = TableFilePath(projectFolder, kEmcyTable);
    return SaveTableRows(FileRows(), shortfall_, path, kEmcyTable, EmcyAttributes(), caption(),
                         prompter);
}

bool EmcyTable::Import(const QString& path, Prompter& prompter) {
    ClearTables();
    Result<ImportSheet> sheet = ReadImportSheet(path, kEmcyTable);
    if (!sheet)
        return ImportCannotStart(prompter, sheet.error());
    const qsizetype width = EmcyAttributes().size();
    for (std::size_t i = 0; i < sheet->records.size(); ++i) {
        const QStringList& record = sheet->records[i];
        if (record.size() < width)
            return ImportStopped(prompter, SheetRowPlace(i, sheet->name) +
                                               SheetWidthProblem(record.size(), width));
        const auto value = ParseIntegerText(record[kEmcyTextFields]);
        if (!value)
            return ImportStopped(prompter, SheetRowPlace(i, sheet->name) +
                                               SheetCellProblem(kBypass, record[kEmcyTextFields]));
        TClEmcy entry;
        for (int f = 0; f < kEmcyTextFields; ++f)
            entry.texts[std::size_t(f)] = record[f];
        lists[std::size_t(UnpackBypass(*value, entry))].push_back(std::move(entry));
    }
    showFirstEntries();
    return true;
}

std::vector<QStringList> EmcyTable::ExportLines() const {
    std::vector<QStringList> lines;
    for (int side = 0; side < 2; ++side)
        for (const TClEmcy& e : lists[std::size_t(side)]) {
            QStringList line(e.texts.begin(), e.texts.end());
            line << PackBypass(e, side);
            lines.push_back(std::move(line));
        }
    return lines;
}

bool EmcyTable::Export(const QString& projectFolder, Prompter& prompter) {
    return ::ExportLines(projectFolder, kEmcyTable, ExportLines(), prompter);
}

std::vector<TableListing> EmcyTable::Listings() const {
    std::vector<TableListing> out;
    QStringList headings = EmcyAttributes().mid(0, kEmcyTextFields);
    headings << QStringLiteral("translate_enabled") << QStringLiteral("alias_code");
    for (int side = 0; side < 2; ++side) {
        TableListing listing{kPages[std::size_t(side)], headings, {}};
        for (const TClEmcy& e : lists[std::size_t(side)]) {
            QStringList row(e.texts.begin(), e.texts.end());
            row << (e.translate_enabled ? QStringLiteral("1") : QStringLiteral("0"))
                << QString::number(e.alias_code);
            listing.rows.push_back(std::move(row));
        }
        out.push_back(std::move(listing));
    }
    return out;
}

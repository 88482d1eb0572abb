#include "editors/StorePdoTable.h"

#include "common/FileIO.h"
#include "common/IntegerText.h"
#include "common/Prompter.h"
#include "editors/RepeatedMinimum.h"
#include "editors/TableFile.h"
#include "editors/TableFiles.h"

#include <QDir>

#include <algorithm>
#include <optional>

namespace {

const QString kNrpdo = QStringLiteral("nrpdo");
const std::array<QString, 2> kSides = {QStringLiteral("CAN A"), QStringLiteral("CAN B")};
const std::array<QString, 2> kPages = {QStringLiteral("CanA"), QStringLiteral("CanB")};

QString pdoName(int side, int number) {
    return QStringLiteral("%1 PDO %2").arg(kSides[std::size_t(side)]).arg(number);
}

QString namesNoPdo(int side, std::int32_t nrpdo) {
    return QStringLiteral("the \"nrpdo\" value %1 names %2, which the PDO table does not have")
        .arg(nrpdo)
        .arg(pdoName(side, PdoOfNrpdo(nrpdo).number));
}

} // namespace

const QStringList& StorePdoAttributes() {
    static const QStringList names = {QStringLiteral("index"), QStringLiteral("subindex"),
                                      QStringLiteral("nrpdo"), QStringLiteral("poscomp")};
    return names;
}

StorePdoRef PdoOfNrpdo(std::int32_t nrpdo) {
    return {(nrpdo & 0x80) ? 1 : 0, nrpdo & 0x7F};
}

int StorePdoSideOf(std::int32_t enBypass) {
    return (enBypass & 2) ? 1 : 0;
}

int PositionChoice(std::int32_t poscomp, int shift) {
    return std::min(int((std::uint32_t(poscomp) >> shift) & 0xFu), 8);
}

QString PoscompText(int high, int low) {
    return QString::number(high * 16 + low);
}

QString StorePdoTable::tableName() const {
    return kStorePdoTable;
}

void StorePdoTable::clearPage(int side, bool keepPdo) {
    StorePdoPage& page = pages[std::size_t(side)];
    const int pdo = page.pdo;
    page = StorePdoPage{};
    if (keepPdo)
        page.pdo = pdo;
}

void StorePdoTable::clearEntries() {
    for (auto& side : pdos)
        for (TClPdo& pdo : side)
            pdo.entries.clear();
}

bool StorePdoTable::place(std::int32_t nrpdo, TClSdo entry) {
    const StorePdoRef pdo = PdoOfNrpdo(nrpdo);
    std::vector<TClPdo>& list = pdos[std::size_t(pdo.side)];
    if (pdo.number > int(list.size()))
        return false;
    list[std::size_t(pdo.number - 1)].entries.push_back(std::move(entry));
    return true;
}

bool StorePdoTable::Show(const QString& projectFolder, Prompter& prompter) {
    shortfall_.clear();
    for (int side = 0; side < 2; ++side) {
        clearPage(side, false);
        pdos[std::size_t(side)].clear();
        sdoAccess[std::size_t(side)].clear();
    }
    bool complete = true;
    // Each file in a step of its own: a failure in one is said and the next is still read.
    const auto readOther = [&](const QString& table, const QStringList& attributes,
                               const QString& sideAttribute, const QString& what, const auto& add) {
        const QString path = TableFilePath(projectFolder, table);
        const TableFileRows read = ReadTableFile(path, attributes);
        if (!read.found) {
            prompter.message(QStringLiteral("File %1 XML not found").arg(what));
            return;
        }
        QString problem = read.problem;
        const qsizetype at = attributes.indexOf(sideAttribute);
        for (std::size_t r = 0; r < read.rows.size(); ++r) {
            const QStringList& row = read.rows[r];
            const auto value = ParseIntegerText(row[at]);
            if (!value) {
                problem = TableRowProblem(path, int(r) + 1,
                                          NotIntegerValueProblem(sideAttribute, row[at]));
                break;
            }
            add(row, *value);
        }
        if (!problem.isEmpty()) {
            complete = false;
            prompter.message(QStringLiteral("Error in reading file %1 XML").arg(what));
            prompter.message(problem);
        }
    };
    readOther(kSdoTable,
              {QStringLiteral("IndexA"), QStringLiteral("SubindexA"), QStringLiteral("conf")},
              QStringLiteral("conf"), QStringLiteral("SDO"),
              [this](const QStringList& row, std::int32_t conf) {
                  sdoAccess[std::size_t(conf & 1)].push_back({row[0], row[1], QString()});
              });
    readOther(kPdoTable, {QStringLiteral("cobid"), QStringLiteral("en_bypass")},
              QStringLiteral("en_bypass"), QStringLiteral("PDO"),
              [this](const QStringList& row, std::int32_t bypass) {
                  std::vector<TClPdo>& list = pdos[std::size_t(StorePdoSideOf(bypass))];
                  list.push_back({row[0], int(list.size()) + 1, {}});
              });

    const QString path = TableFilePath(projectFolder, kStorePdoTable);
    const TableFileRows read = ReadTableFile(path, StorePdoAttributes());
    if (!read.found) {
        prompter.message(QStringLiteral("File SDOPDO XML not found"));
        return complete;
    }
    QString problem = read.problem;
    int placed = 0;
    std::vector<std::pair<int, int>> missing; // side and number of each PDO not in the list
    int left = 0;
    for (std::size_t r = 0; r < read.rows.size(); ++r) {
        const QStringList& row = read.rows[r];
        const auto nrpdo = ParseIntegerText(row[2]);
        if (!nrpdo || PdoOfNrpdo(*nrpdo).number == 0) {
            problem = TableRowProblem(
                path, int(r) + 1,
                nrpdo ? QStringLiteral("has the \"nrpdo\" value \"%1\", which names no PDO.")
                            .arg(row[2])
                      : NotIntegerValueProblem(kNrpdo, row[2]));
            break;
        }
        if (place(*nrpdo, {row[0], row[1], row[3]})) {
            ++placed;
            continue;
        }
        ++left;
        const StorePdoRef ref = PdoOfNrpdo(*nrpdo);
        const std::pair<int, int> pdo{ref.side, ref.number};
        if (std::find(missing.begin(), missing.end(), pdo) == missing.end())
            missing.push_back(pdo);
    }
    if (!problem.isEmpty())
        ReportReadError(prompter, QStringLiteral("Error in reading file SDOPDO XML"), problem,
                        placed);
    if (left > 0) {
        QStringList names;
        for (const auto& [side, number] : missing)
            names << QStringLiteral("no ") + pdoName(side, number);
        const bool one = left == 1;
        prompter.message(QStringLiteral("%1 entr%2 of \"%3\" %4 left out: the PDO table has %5. "
                                        "OK asks before it writes the table without %6.")
                             .arg(left)
                             .arg(one ? QStringLiteral("y") : QStringLiteral("ies"),
                                  QDir::toNativeSeparators(path),
                                  one ? QStringLiteral("was") : QStringLiteral("were"),
                                  names.join(QStringLiteral(", ")),
                                  one ? QStringLiteral("it") : QStringLiteral("them")));
    }
    if (problem.isEmpty() && left == 0)
        return complete;
    shortfall_.note(read.fileRows);
    return false;
}

void StorePdoTable::SelectPdo(int side, int pdo) {
    clearPage(side, false);
    if (pdo < 0 || pdo >= int(pdos[std::size_t(side)].size()))
        return;
    StorePdoPage& page = pages[std::size_t(side)];
    page.pdo = pdo;
    const std::size_t count = pdos[std::size_t(side)][std::size_t(pdo)].entries.size();
    for (std::size_t i = 0; i < count; ++i)
        page.entryNames << QStringLiteral("Sdo%1").arg(i);
}

void StorePdoTable::SelectEntry(int side, int entry, Prompter& prompter) {
    StorePdoPage& page = pages[std::size_t(side)];
    if (page.pdo < 0 || entry < 0 || entry >= page.entryNames.size())
        return;
    page.entry = entry;
    const TClSdo& e = pdos[std::size_t(side)][std::size_t(page.pdo)].entries[std::size_t(entry)];
    const auto poscomp = ParseIntegerText(e.poscomp);
    if (!poscomp) {
        prompter.errorReport(InvalidIntegerMessage(e.poscomp));
        return;
    }
    page.index = e.index;
    page.subindex = e.subindex;
    page.high = PositionChoice(*poscomp, 4);
    page.low = PositionChoice(*poscomp, 0);
}

Result<bool> StorePdoTable::CheckSdoEntry(int side, const QString& index, const QString& subindex,
                                          int pdo, int entry, Prompter& prompter) const {
    const std::vector<TClPdo>& list = pdos[std::size_t(side)];
    const bool nothing =
        sdoAccess[std::size_t(side)].empty() &&
        std::all_of(list.begin(), list.end(), [](const TClPdo& p) { return p.entries.empty(); });
    if (nothing)
        return false;
    const auto wantIndex = ParseIntegerText(index);
    if (!wantIndex)
        return Fail(InvalidIntegerMessage(index));
    const auto wantSubindex = ParseIntegerText(subindex);
    if (!wantSubindex)
        return Fail(InvalidIntegerMessage(subindex));
    // The subindex of a compared entry is read only when its index matches.
    const auto same = [&](const TClSdo& e) -> Result<bool> {
        const auto i = ParseIntegerText(e.index);
        if (!i)
            return Fail(InvalidIntegerMessage(e.index));
        if (*i != *wantIndex)
            return false;
        const auto s = ParseIntegerText(e.subindex);
        if (!s)
            return Fail(InvalidIntegerMessage(e.subindex));
        return *s == *wantSubindex;
    };
    for (const TClSdo& e : sdoAccess[std::size_t(side)]) {
        const Result<bool> hit = same(e);
        if (!hit)
            return hit;
        if (*hit) {
            prompter.message(QStringLiteral("Index or Subindex Not Valid,Sdo Already Exists"));
            return true;
        }
    }
    for (std::size_t p = 0; p < list.size(); ++p)
        for (std::size_t i = 0; i < list[p].entries.size(); ++i) {
            if (int(p) == pdo && int(i) == entry)
                continue;
            const Result<bool> hit = same(list[p].entries[i]);
            if (!hit)
                return hit;
            if (*hit) {
                prompter.message(QStringLiteral("Index or Subindex Not Valid"));
                return true;
            }
        }
    return false;
}

void StorePdoTable::New(int side, Prompter& prompter) {
    StorePdoPage& page = pages[std::size_t(side)];
    if (page.pdo < 0)
        return;
    const Result<bool> refused = CheckSdoEntry(side, page.index, page.subindex, -1, -1, prompter);
    if (!refused) {
        prompter.errorReport(refused.error());
        return;
    }
    if (*refused)
        return;
    page.entryNames << QStringLiteral("Sdo%1").arg(page.entryNames.size());
    page.entry = int(page.entryNames.size()) - 1;
    pdos[std::size_t(side)][std::size_t(page.pdo)].entries.push_back(
        {page.index, page.subindex, PoscompText(page.high, page.low)});
}

void StorePdoTable::Modify(int side, Prompter& prompter) {
    StorePdoPage& page = pages[std::size_t(side)];
    if (page.pdo < 0 || page.entry < 0)
        return;
    const Result<bool> refused =
        CheckSdoEntry(side, page.index, page.subindex, page.pdo, page.entry, prompter);
    if (!refused) {
        prompter.errorReport(refused.error());
        return;
    }
    if (*refused)
        return;
    pdos[std::size_t(side)][std::size_t(page.pdo)].entries[std::size_t(page.entry)] = {
        page.index, page.subindex, PoscompText(page.high, page.low)};
}

void StorePdoTable::Delete(int side) {
    StorePdoPage& page = pages[std::size_t(side)];
    if (page.pdo < 0 || page.entry < 0)
        return;
    std::vector<TClSdo>& entries = pdos[std::size_t(side)][std::size_t(page.pdo)].entries;
    entries.erase(entries.begin() + page.entry);
    page.entryNames.removeAt(page.entry);
    page.entry = -1;
}

void StorePdoTable::Copy(int side) {
    const StorePdoPage& page = pages[std::size_t(side)];
    copies[std::size_t(side)] = {true, page.index, page.subindex, PoscompText(page.high, page.low)};
}

void StorePdoTable::Paste(int side, Prompter& prompter) {
    StorePdoPage& page = pages[std::size_t(side)];
    const StorePdoCopy& copy = copies[std::size_t(side)];
    page.index = copy.index;
    page.subindex = copy.subindex;
    const auto poscomp = ParseIntegerText(copy.poscomp);
    if (!poscomp) {
        prompter.errorReport(InvalidIntegerMessage(copy.poscomp));
        return;
    }
    page.high = PositionChoice(*poscomp, 4);
    page.low = PositionChoice(*poscomp, 0);
}

Result<std::vector<QStringList>> StorePdoTable::FileRows() const {
    const OrderRule rule{KeyReading::IntegerText,
                         {QStringLiteral("0x999999"), QStringLiteral("0x999999")},
                         TieRule::KeepEarlier};
    std::array<std::vector<QStringList>, 2> sides;
    for (int side = 0; side < 2; ++side) {
        std::vector<std::pair<int, const TClSdo*>> visited;
        std::vector<QStringList> keys;
        for (const TClPdo& pdo : pdos[std::size_t(side)])
            for (const TClSdo& e : pdo.entries) {
                visited.emplace_back(pdo.number, &e);
                keys.push_back({e.index, e.subindex});
            }
        Result<std::vector<int>> order = OrderEntries(keys, rule);
        if (!order)
            return Fail(order.error());
        for (const int i : *order) {
            const auto& [number, e] = visited[std::size_t(i)];
            sides[std::size_t(side)].push_back(
                {e->index, e->subindex, QString::number(number + 128 * side), e->poscomp});
        }
    }
    for (int side = 0; side < 2; ++side)
        for (const TClPdo& pdo : pdos[std::size_t(side)])
            if (pdo.number > kMaxPdoNumber && !pdo.entries.empty())
                return Fail(QStringLiteral("The entries of %1 cannot be stored: the table file "
                                           "tells at most %2 PDOs of a side apart.")
                                .arg(pdoName(side, pdo.number))
                                .arg(kMaxPdoNumber));
    std::vector<QStringList> rows = std::move(sides[0]);
    rows.insert(rows.end(), sides[1].begin(), sides[1].end());
    return rows;
}

bool StorePdoTable::Ok(const QString& projectFolder, Prompter& prompter) {
    const QString path = TableFilePath(projectFolder, kStorePdoTable);
    return SaveTableRows(FileRows(), shortfall_, path, kStorePdoTable, StorePdoAttributes(),
                         caption(), prompter);
}

bool StorePdoTable::Import(const QString& path, Prompter& prompter) {
    // No PDO stays selected either, so a New cannot name an entry after an emptied list.
    clearPage(0, false);
    clearPage(1, false);
    Result<ImportSheet> sheet = ReadImportSheet(path, kStorePdoTable);
    if (!sheet)
        return ImportCannotStart(prompter, sheet.error());
    clearEntries();
    QStringList leftOut;
    for (std::size_t i = 0; i < sheet->records.size(); ++i) {
        const QStringList& record = sheet->records[i];
        QString problem;
        std::optional<std::int32_t> nrpdo;
        if (record.size() < StorePdoAttributes().size())
            problem = SheetWidthProblem(record.size(), StorePdoAttributes().size());
        else if (nrpdo = ParseIntegerText(record[2]); !nrpdo)
            problem = SheetCellProblem(kNrpdo, record[2]);
        else if (PdoOfNrpdo(*nrpdo).number == 0)
            problem = QStringLiteral("the \"nrpdo\" cell \"%1\" names no PDO.").arg(record[2]);
        if (!problem.isEmpty()) {
            ReportLeftOut(prompter, sheet->name, leftOut);
            return ImportStopped(prompter, SheetRowPlace(i, sheet->name) + problem);
        }
        if (!place(*nrpdo, {record[0], record[1], record[3]}))
            leftOut << QStringLiteral("row %1: ").arg(i + 2) +
                           namesNoPdo(PdoOfNrpdo(*nrpdo).side, *nrpdo);
    }
    return ReportLeftOut(prompter, sheet->name, leftOut);
}

std::vector<QStringList> StorePdoTable::ExportLines() const {
    std::vector<QStringList> lines;
    for (int side = 0; side < 2; ++side)
        for (const TClPdo& pdo : pdos[std::size_t(side)])
            for (const TClSdo& e : pdo.entries)
                lines.push_back(
                    {e.index, e.subindex, QString::number(pdo.number + 128 * side), e.poscomp});
    return lines;
}

bool StorePdoTable::Export(const QString& projectFolder, Prompter& prompter) {
    return ::ExportLines(projectFolder, kStorePdoTable, ExportLines(), prompter);
}

std::vector<TableListing> StorePdoTable::Listings() const {
    std::vector<TableListing> out;
    for (int side = 0; side < 2; ++side) {
        TableListing listing{kPages[std::size_t(side)],
                             {QStringLiteral("PDO"), QStringLiteral("cobid"), QStringLiteral("SDO"),
                              QStringLiteral("index"), QStringLiteral("subindex"),
                              QStringLiteral("poscomp")},
                             {}};
        for (const TClPdo& pdo : pdos[std::size_t(side)])
            for (std::size_t i = 0; i < pdo.entries.size(); ++i) {
                const TClSdo& e = pdo.entries[i];
                listing.rows.push_back({QString::number(pdo.number), pdo.cobid,
                                        QStringLiteral("Sdo%1").arg(i), e.index, e.subindex,
                                        e.poscomp});
            }
        out.push_back(std::move(listing));
    }
    return out;
}

#include "editors/EmcyWordTable.h"

#include "common/IntegerText.h"
#include "common/Prompter.h"
#include "editors/RepeatedMinimum.h"
#include "editors/TableFile.h"
#include "editors/TableFiles.h"

#include <QDir>

namespace {

const QString kExtdata = QStringLiteral("extdata");
const std::array<QString, 2> kPages = {QStringLiteral("CanA"), QStringLiteral("CanB")};
constexpr int kExtdataAt = 2;
constexpr int kFirstBitAt = 4;

TClWEmcy wordOf(const QStringList& values) {
    TClWEmcy w;
    w.index_addrm = values[0];
    w.subindex = values[1];
    w.devid = values[3];
    for (int n = 0; n < kWordBits; ++n) {
        ClEbm& bit = w.bits[std::size_t(n)];
        bit.b0 = values[kFirstBitAt + 3 * n];
        bit.b1 = values[kFirstBitAt + 3 * n + 1];
        bit.poscomp = values[kFirstBitAt + 3 * n + 2];
    }
    return w;
}

// The key texts first, then the direction, then the bits in bit order.
QStringList valuesOf(const TClWEmcy& w, const QString& third, const QString& fourth) {
    QStringList values;
    values.reserve(kFirstBitAt + 3 * kWordBits);
    values << w.index_addrm << w.subindex << third << fourth;
    for (const ClEbm& bit : w.bits)
        values << bit.b0 << bit.b1 << bit.poscomp;
    return values;
}

} // namespace

const QStringList& EmcyWordAttributes() {
    static const QStringList names = [] {
        QStringList n{QStringLiteral("index_addrm"), QStringLiteral("subindex"), kExtdata,
                      QStringLiteral("devid")};
        for (int bit = 0; bit < kWordBits; ++bit)
            for (const char* part : {"_b0", "_b1", "_poscomp"})
                n << QStringLiteral("bit%1%2").arg(bit).arg(QLatin1String(part));
        return n;
    }();
    return names;
}

QModelIndex WordTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < words() ? createIndex(row, 0, quintptr(0)) : QModelIndex();
    if (parent.internalId() != 0 || row >= kWordBits)
        return {};
    return createIndex(row, 0, quintptr(parent.row()) + 1);
}

QModelIndex WordTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return createIndex(int(child.internalId() - 1), 0, quintptr(0));
}

int WordTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return words();
    return parent.internalId() == 0 && parent.column() == 0 ? kWordBits : 0;
}

int WordTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant WordTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const bool word = index.internalId() == 0;
    switch (role) {
    case Qt::DisplayRole:
        return word ? QStringLiteral("W%1").arg(label(index.row()))
                    : QStringLiteral("Bit%1").arg(index.row());
    case Qt::DecorationRole:
        return icons[word ? WordNode : BitNode];
    case KindRole:
        return word ? int(WordNode) : int(BitNode);
    default:
        return {};
    }
}

int WordTreeModel::NodePosition(const QModelIndex& index) {
    if (!index.isValid())
        return -1;
    if (index.internalId() == 0)
        return kNodesPerWord * index.row();
    return kNodesPerWord * int(index.internalId() - 1) + 1 + index.row();
}

QModelIndex WordTreeModel::NodeIndex(int position) const {
    if (position < 0 || position / kNodesPerWord >= words())
        return {};
    const QModelIndex word = index(position / kNodesPerWord, 0);
    const int k = position % kNodesPerWord;
    return k == 0 ? word : index(k - 1, 0, word);
}

void WordTreeModel::setLabels(std::vector<int> labels) {
    beginResetModel();
    labels_ = std::move(labels);
    endResetModel();
}

void WordTreeModel::appendWord(int number) {
    beginInsertRows({}, words(), words());
    labels_.push_back(number);
    endInsertRows();
}

void WordTreeModel::removeWord(int word) {
    beginRemoveRows({}, word, word);
    labels_.erase(labels_.begin() + word);
    endRemoveRows();
}

EmcyWordTable::EmcyWordTable() {
    for (auto& t : trees_)
        t = std::make_unique<WordTreeModel>();
}

QString EmcyWordTable::tableName() const {
    return kEmcyWordTable;
}

void EmcyWordTable::ClearTrees() {
    for (int side = 0; side < 2; ++side) {
        trees_[std::size_t(side)]->setLabels({});
        words[std::size_t(side)].clear();
        pages[std::size_t(side)] = EmcyWordPage{};
    }
}

// Show and Import number the words by their place: W0, W1, ...
void EmcyWordTable::numberByPosition() {
    for (int side = 0; side < 2; ++side) {
        std::vector<int> labels(words[std::size_t(side)].size());
        for (std::size_t i = 0; i < labels.size(); ++i)
            labels[i] = int(i);
        trees_[std::size_t(side)]->setLabels(std::move(labels));
    }
}

bool EmcyWordTable::Show(const QString& projectFolder, Prompter& prompter) {
    shortfall_.clear();
    ClearTrees();
    const QString path = TableFilePath(projectFolder, kEmcyWordTable);
    const TableFileRows read = ReadTableFile(path, EmcyWordAttributes());
    if (!read.found) {
        prompter.message(QStringLiteral("File XML not found"));
        return true;
    }
    QString problem = read.problem;
    int placed = 0;
    QStringList left;
    for (std::size_t r = 0; r < read.rows.size(); ++r) {
        const QStringList& row = read.rows[r];
        const auto side = ParseIntegerText(row[kExtdataAt]);
        if (!side) {
            problem = TableRowProblem(path, int(r) + 1,
                                      NotIntegerValueProblem(kExtdata, row[kExtdataAt]));
            break;
        }
        if (*side != 0 && *side != 1) {
            left << QString::number(r + 1);
            continue;
        }
        words[std::size_t(*side)].push_back(wordOf(row));
        ++placed;
    }
    numberByPosition();
    if (!problem.isEmpty())
        ReportReadError(prompter, QStringLiteral("Error in reading file XML"), problem, placed);
    if (!left.isEmpty())
        prompter.message(
            QStringLiteral("%1 of \"%2\" %3 left out: %4 \"extdata\" is neither 0 "
                           "nor 1 (row%5 %6). OK asks before it writes the table "
                           "without %7.")
                .arg(left.size() == 1 ? QStringLiteral("1 row")
                                      : QStringLiteral("%1 rows").arg(left.size()),
                     QDir::toNativeSeparators(path),
                     left.size() == 1 ? QStringLiteral("was") : QStringLiteral("were"),
                     left.size() == 1 ? QStringLiteral("its") : QStringLiteral("their"),
                     left.size() == 1 ? QString() : QStringLiteral("s"),
                     left.join(QStringLiteral(", ")),
                     left.size() == 1 ? QStringLiteral("it") : QStringLiteral("them")));
    if (problem.isEmpty() && left.isEmpty())
        return true;
    shortfall_.note(read.fileRows);
    return false;
}

Result<> EmcyWordTable::ShowNode(int node, int side) {
    const int w = node / kNodesPerWord;
    const int k = node % kNodesPerWord;
    if (node < 0 || w >= int(words[std::size_t(side)].size()))
        return ::Ok();
    wordCaption = QStringLiteral("Word n°%1 Emcy Define ").arg(w);
    bitCaption = QStringLiteral("Mask BIT n°%1 Define").arg(node);
    EmcyWordPage& page = pages[std::size_t(side)];
    const TClWEmcy& word = words[std::size_t(side)][std::size_t(w)];
    page.index = word.index_addrm;
    page.subindex = word.subindex;
    page.devid = word.devid;
    if (k == 0) {
        page.b0.clear();
        page.b1.clear();
        page.first.clear();
        page.second.clear();
        return ::Ok();
    }
    const ClEbm& bit = word.bits[std::size_t(k - 1)];
    page.b0 = bit.b0;
    page.b1 = bit.b1;
    const auto poscomp = ParseIntegerText(bit.poscomp);
    if (!poscomp)
        return Fail(InvalidIntegerMessage(bit.poscomp));
    const std::uint32_t v = std::uint32_t(*poscomp) & 0xFFFFu;
    page.first = QString::number(v / 16);
    page.second = QString::number(v % 16);
    return ::Ok();
}

bool EmcyWordTable::CheckWordKey(const QString& index, const QString& subindex, int mode, int own,
                                 const QString& devid, Prompter& prompter) const {
    const bool modify = mode >= 2;
    bool accepted = !index.isEmpty() && !subindex.isEmpty() && !devid.isEmpty();
    const std::vector<TClWEmcy>& list = words[std::size_t(mode % 2)];
    for (std::size_t i = 0; accepted && i < list.size(); ++i)
        if (!(modify && int(i) == own) && list[i].index_addrm == index &&
            list[i].subindex == subindex && list[i].devid == devid)
            accepted = false;
    if (!accepted)
        prompter.message(QStringLiteral("Index Not Valid"));
    return accepted;
}

void EmcyWordTable::ApplyNodeEdits(int node, int side, Prompter& prompter) {
    const int w = node / kNodesPerWord;
    const int k = node % kNodesPerWord;
    if (node < 0 || w >= int(words[std::size_t(side)].size()))
        return;
    const EmcyWordPage& page = pages[std::size_t(side)];
    TClWEmcy& word = words[std::size_t(side)][std::size_t(w)];
    if (k == 0) {
        if (CheckWordKey(page.index, page.subindex, 2 + side, w, page.devid, prompter)) {
            word.index_addrm = page.index;
            word.subindex = page.subindex;
            word.devid = page.devid;
        }
        return;
    }
    // Both positions are read before anything is stored, so a bit changes whole or not at all.
    const auto first = ParseIntegerText(page.first);
    if (!first) {
        prompter.errorReport(InvalidIntegerMessage(page.first));
        return;
    }
    const auto second = ParseIntegerText(page.second);
    if (!second) {
        prompter.errorReport(InvalidIntegerMessage(page.second));
        return;
    }
    ClEbm& bit = word.bits[std::size_t(k - 1)];
    bit.b0 = page.b0;
    bit.b1 = page.b1;
    bit.poscomp = QString::number((std::uint32_t(*first) * 16u + std::uint32_t(*second)) & 0xFFFFu);
}

void EmcyWordTable::New(int side, Prompter& prompter) {
    const EmcyWordPage& page = pages[std::size_t(side)];
    if (!CheckWordKey(page.index, page.subindex, side, -1, page.devid, prompter))
        return;
    TClWEmcy word;
    word.index_addrm = page.index;
    word.subindex = page.subindex;
    word.devid = page.devid;
    const int number = trees_[std::size_t(side)]->NextWordNumber();
    words[std::size_t(side)].push_back(std::move(word));
    trees_[std::size_t(side)]->appendWord(number);
}

void EmcyWordTable::Modify(int side, int node, Prompter& prompter) {
    if (node >= 0)
        ApplyNodeEdits(node, side, prompter);
}

bool EmcyWordTable::Delete(int side, int node) {
    if (node < 0 || node % kNodesPerWord != 0)
        return false;
    const int w = node / kNodesPerWord;
    std::vector<TClWEmcy>& list = words[std::size_t(side)];
    if (w >= int(list.size()))
        return false;
    trees_[std::size_t(side)]->removeWord(w);
    list.erase(list.begin() + w);
    return true;
}

Result<std::vector<QStringList>> EmcyWordTable::FileRows() const {
    // Repeated minimum on (devid, index, subindex) below "999999" in every part; an equal key
    // is taken, so the later of equal keys is written first.
    const OrderRule rule{
        KeyReading::IntegerText,
        {QStringLiteral("999999"), QStringLiteral("999999"), QStringLiteral("999999")},
        TieRule::TakeLater};
    std::vector<QStringList> rows;
    for (int side = 0; side < 2; ++side) {
        const std::vector<TClWEmcy>& list = words[std::size_t(side)];
        std::vector<QStringList> keys;
        keys.reserve(list.size());
        for (const TClWEmcy& w : list)
            keys.push_back({w.devid, w.index_addrm, w.subindex});
        Result<std::vector<int>> order = OrderEntries(keys, rule);
        if (!order)
            return Fail(order.error());
        const QString extdata = QString::number(side);
        for (const int i : *order) {
            const TClWEmcy& w = list[std::size_t(i)];
            rows.push_back(valuesOf(w, extdata, w.devid));
        }
    }
    return rows;
}

bool EmcyWordTable::Ok(const QString& projectFolder, Prompter& prompter) {
    const QString path = TableFilePath(projectFolder, kEmcyWordTable);
    return SaveTableRows(FileRows(), shortfall_, path, kEmcyWordTable, EmcyWordAttributes(),
                         caption(), prompter);
}

bool EmcyWordTable::Import(const QString& path, Prompter& prompter) {
    ClearTrees();
    Result<ImportSheet> sheet = ReadImportSheet(path, kEmcyWordTable);
    if (!sheet)
        return ImportCannotStart(prompter, sheet.error());
    const qsizetype width = EmcyWordAttributes().size();
    QStringList leftOut;
    QString problem;
    for (std::size_t i = 0; i < sheet->records.size(); ++i) {
        const QStringList& record = sheet->records[i];
        if (record.size() < width) {
            problem = SheetRowPlace(i, sheet->name) + SheetWidthProblem(record.size(), width);
            break;
        }
        const auto side = ParseIntegerText(record[kExtdataAt]);
        if (!side) {
            problem =
                SheetRowPlace(i, sheet->name) + SheetCellProblem(kExtdata, record[kExtdataAt]);
            break;
        }
        if (*side != 0 && *side != 1) {
            leftOut << QStringLiteral("row %1: the \"extdata\" cell \"%2\" is neither 0 nor 1")
                           .arg(i + 2)
                           .arg(record[kExtdataAt]);
            continue;
        }
        words[std::size_t(*side)].push_back(wordOf(record));
    }
    numberByPosition();
    const bool complete = ReportLeftOut(prompter, sheet->name, leftOut);
    if (!problem.isEmpty())
        return ImportStopped(prompter, problem);
    return complete;
}

std::vector<QStringList> EmcyWordTable::ExportLines() const {
    // The device ID third and a constant "0" fourth, for both directions.
    std::vector<QStringList> lines;
    for (int side = 0; side < 2; ++side)
        for (const TClWEmcy& w : words[std::size_t(side)])
            lines.push_back(valuesOf(w, w.devid, QStringLiteral("0")));
    return lines;
}

bool EmcyWordTable::Export(const QString& projectFolder, Prompter& prompter) {
    return ::ExportLines(projectFolder, kEmcyWordTable, ExportLines(), prompter);
}

std::vector<TableListing> EmcyWordTable::Listings() const {
    std::vector<TableListing> out;
    for (int side = 0; side < 2; ++side) {
        TableListing listing{kPages[std::size_t(side)],
                             {QStringLiteral("node"), QStringLiteral("index_addrm"),
                              QStringLiteral("subindex"), QStringLiteral("devid"),
                              QStringLiteral("b0"), QStringLiteral("b1"),
                              QStringLiteral("poscomp")},
                             {}};
        const std::vector<TClWEmcy>& list = words[std::size_t(side)];
        for (std::size_t i = 0; i < list.size(); ++i) {
            const TClWEmcy& w = list[i];
            listing.rows.push_back({QStringLiteral("W%1").arg(tree(side).label(int(i))),
                                    w.index_addrm, w.subindex, w.devid});
            // Bits that hold nothing are left out of the listing.
            for (int n = 0; n < kWordBits; ++n) {
                const ClEbm& bit = w.bits[std::size_t(n)];
                if (!bit.b0.isEmpty() || !bit.b1.isEmpty() || !bit.poscomp.isEmpty())
                    listing.rows.push_back({QStringLiteral("Bit%1").arg(n), QString(), QString(),
                                            QString(), bit.b0, bit.b1, bit.poscomp});
            }
        }
        out.push_back(std::move(listing));
    }
    return out;
}

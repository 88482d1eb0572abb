// The EMCY word table ("emcyword"): per bus, words that turn one device's emergency messages
// into 16 bits the other bus reads as an SDO object, each bit defined by two mask bytes and
// two EMCY byte positions. Each direction is shown as a tree of word and bit nodes.
#pragma once

#include "common/Result.h"
#include "editors/TableEditor.h"
#include "editors/TableSteps.h"

#include <QAbstractItemModel>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <memory>
#include <vector>

inline constexpr int kWordBits = 16;
// A word node and its bit nodes: node 17 × w is word w, node 17 × w + 1 + j its bit j.
inline constexpr int kNodesPerWord = kWordBits + 1;

// The 52 attribute names: index_addrm, subindex, extdata, devid, then bit<n>_b0, _b1,
// _poscomp for n from 0 to 15.
const QStringList& EmcyWordAttributes();

struct ClEbm {
    QString b0;
    QString b1;
    QString poscomp; // first EMCY byte position × 16 + second
};

struct TClWEmcy {
    QString index_addrm;
    QString subindex;
    QString devid;
    std::array<ClEbm, kWordBits> bits;
};

// The nodes of one direction's tree: a word node "W<number>" per word, in list order, each with
// the bit nodes "Bit0" to "Bit15". Labels are not renumbered when a word is removed.
class WordTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Kind { WordNode = 0, BitNode = 1 };
    static constexpr int KindRole = Qt::UserRole;

    using QAbstractItemModel::QAbstractItemModel;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The decoration of each kind of node (the dialog's icons).
    std::array<QVariant, 2> icons;

    // The node's position over all nodes in display order, and back; -1 / invalid outside.
    static int NodePosition(const QModelIndex& index);
    QModelIndex NodeIndex(int position) const;

    int words() const { return int(labels_.size()); }
    int label(int word) const { return labels_[std::size_t(word)]; }
    void setLabels(std::vector<int> labels);
    void appendWord(int number);
    void removeWord(int word);
    // The number after that of the last word node; 0 for an empty tree.
    int NextWordNumber() const { return labels_.empty() ? 0 : labels_.back() + 1; }

private:
    std::vector<int> labels_;
};

// A page's edits as the table sees them.
struct EmcyWordPage {
    QString index;    // Eindex_addrmA
    QString subindex; // EsubindexA
    QString devid;    // EdevidA
    QString b0;       // Eb0A
    QString b1;       // Eb1A
    QString first;    // EposcompA
    QString second;   // EposcompA2
};

class EmcyWordTable : public TableEditor {
public:
    EmcyWordTable();

    // The dialog's caption.
    static QString Caption() { return QStringLiteral("Define EMCY Word"); }
    QString tableName() const override;
    QString caption() const override { return Caption(); }
    bool Show(const QString& projectFolder, Prompter& prompter) override;
    bool Ok(const QString& projectFolder, Prompter& prompter) override;
    bool Import(const QString& path, Prompter& prompter) override;
    bool Export(const QString& projectFolder, Prompter& prompter) override;
    std::vector<TableListing> Listings() const override;

    // Side 0 is CAN A, 1 CAN B; `node` is a position over all nodes of the side's tree.
    WordTreeModel& tree(int side) { return *trees_[std::size_t(side)]; }
    const WordTreeModel& tree(int side) const { return *trees_[std::size_t(side)]; }
    void ClearTrees();
    // Fails, with the page filled but for the positions, when the bit's poscomp is not
    // integer text.
    Result<> ShowNode(int node, int side);
    void ApplyNodeEdits(int node, int side, Prompter& prompter);
    // Modes: 0 new on CAN A, 1 new on CAN B, 2 modify on CAN A, 3 modify on CAN B. A rejection
    // has been shown.
    bool CheckWordKey(const QString& index, const QString& subindex, int mode, int own,
                      const QString& devid, Prompter& prompter) const;
    void New(int side, Prompter& prompter);
    // Modify of the selected node (-1: none).
    void Modify(int side, int node, Prompter& prompter);
    // True when the node was a word node and its word is gone.
    bool Delete(int side, int node);

    Result<std::vector<QStringList>> FileRows() const;
    std::vector<QStringList> ExportLines() const;

    std::array<std::vector<TClWEmcy>, 2> words;
    std::array<EmcyWordPage, 2> pages;
    // The captions of both pages' groups; the design texts until a node is selected.
    QString wordCaption = QStringLiteral("Word n°  Emcy Define");
    QString bitCaption = QStringLiteral("Mask BIT n°  Define");

private:
    void numberByPosition();

    std::array<std::unique_ptr<WordTreeModel>, 2> trees_;
    LoadShortfall shortfall_;
};

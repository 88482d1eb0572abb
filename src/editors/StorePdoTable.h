// The store PDO table ("sdopdo"): per side, the SDO entries each PDO of the PDO translate
// table carries and the PDO bytes that take their high and low byte. It reads the SDO access
// and PDO translate tables and never changes them.
#pragma once

#include "common/Result.h"
#include "editors/TableEditor.h"
#include "editors/TableSteps.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

// One SDO entry; poscomp packs the PDO byte of the high byte (bits 4 to 7) and of the low byte
// (bits 0 to 3), 0 for none and 1 to 8 for B1 to B8.
struct TClSdo {
    QString index;
    QString subindex;
    QString poscomp;
};

// One PDO of a side: its cobid, its number (its place in the side's list, from 1) and its
// entries in the order they were added.
struct TClPdo {
    QString cobid;
    int number = 0;
    std::vector<TClSdo> entries;
};

// A page's controls as the table sees them.
struct StorePdoPage {
    QString index;    // EindexA
    QString subindex; // EsubindexA
    int high = 0;     // PoscompMsbA: 0 "none", 1 to 8 "B1" to "B8"
    int low = 0;      // PoscompLsbA
    int pdo = -1;     // the selection in LPdoCanA
    int entry = -1;   // the selection in LSdoCanA
    QStringList entryNames;
};

struct StorePdoCopy {
    bool filled = false;
    QString index;
    QString subindex;
    QString poscomp;
};

// "index", "subindex", "nrpdo", "poscomp": the table file's attributes in their order.
const QStringList& StorePdoAttributes();

// The PDO a "nrpdo" value names: bit 7 tells the side (set: CAN B), the low 7 bits the PDO's
// number from 1, 0 naming none; higher bits are not looked at.
struct StorePdoRef {
    int side = 0;
    int number = 0;
};
StorePdoRef PdoOfNrpdo(std::int32_t nrpdo);
// The side whose PDO list a row of the PDO translate table joins: bit 1 of its "en_bypass"
// clear (CAN B to CAN A) is the CAN A side.
int StorePdoSideOf(std::int32_t enBypass);

// The choice a poscomp's four bits select: 9 to 15 select the last, "B8".
int PositionChoice(std::int32_t poscomp, int shift);
// High choice × 16 + low choice, as decimal text.
QString PoscompText(int high, int low);

class StorePdoTable : public TableEditor {
public:
    static constexpr int kChoices = 9;
    // The file carries a PDO's number in 7 bits.
    static constexpr int kMaxPdoNumber = 127;

    // The dialog's caption.
    static QString Caption() { return QStringLiteral("Define Store PDO"); }
    QString tableName() const override;
    QString caption() const override { return Caption(); }
    bool Show(const QString& projectFolder, Prompter& prompter) override;
    bool Ok(const QString& projectFolder, Prompter& prompter) override;
    bool Import(const QString& path, Prompter& prompter) override;
    bool Export(const QString& projectFolder, Prompter& prompter) override;
    std::vector<TableListing> Listings() const override;

    // Side 0 is CAN A, 1 CAN B; each operation acts on that side's page.
    void SelectPdo(int side, int pdo);
    void SelectEntry(int side, int entry, Prompter& prompter);
    // Whether the index and subindex are refused for the entry at (pdo, entry), or for a new
    // one with pdo -1; the refusal has been shown. Fails on a compared text that is not
    // integer text.
    Result<bool> CheckSdoEntry(int side, const QString& index, const QString& subindex, int pdo,
                               int entry, Prompter& prompter) const;
    void New(int side, Prompter& prompter);
    void Modify(int side, Prompter& prompter);
    void Delete(int side);
    void Copy(int side);
    void Paste(int side, Prompter& prompter);

    // The rows OK writes, in writing order, CAN A side first.
    Result<std::vector<QStringList>> FileRows() const;
    std::vector<QStringList> ExportLines() const;

    std::array<std::vector<TClPdo>, 2> pdos;
    // The SDO access table's entries of each side ("IndexA", "SubindexA"); checks only.
    std::array<std::vector<TClSdo>, 2> sdoAccess;
    std::array<StorePdoPage, 2> pages;
    // Kept from one showing to the next.
    std::array<StorePdoCopy, 2> copies;

private:
    void clearPage(int side, bool keepPdo);
    void clearEntries();
    // Places a row of the file or the sheet; false when the side has no PDO of that number.
    bool place(std::int32_t nrpdo, TClSdo entry);

    LoadShortfall shortfall_;
};

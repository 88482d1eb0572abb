// The EMCY translate table ("emcydef"): per bus, the emergency messages the gateway passes to
// the other bus, with a mask and an enable mask per EMCY field and where the producer's node ID
// goes in the message passed on.
#pragma once

#include "common/Result.h"
#include "editors/TableEditor.h"
#include "editors/TableSteps.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

// The eleven text fields in the attribute order, then "bypass_set".
inline constexpr int kEmcyTextFields = 11;
const QStringList& EmcyAttributes();

struct TClEmcy {
    // id_dev, mask_eq_ec, mask_eq_er, mask_eq_m1, mask_eq_m2, mask_eq_m3, enmask_eq_ec,
    // enmask_eq_er, enmask_eq_m1, enmask_eq_m2, enmask_eq_m3.
    std::array<QString, kEmcyTextFields> texts;
    bool translate_enabled = false;
    int alias_code = 0; // 0 to 15, of which 0 to 8 have a radio
};

// "bypass_set": bit 0 forwarding, bits 1 to 4 the alias code, bit 5 set for CAN B.
QString PackBypass(const TClEmcy& entry, int side);
// The side a value's bit 5 tells; higher bits are ignored.
int UnpackBypass(std::int32_t value, TClEmcy& entry);

// A page's controls as the table sees them.
struct EmcyPage {
    std::array<QString, kEmcyTextFields> edits; // in field order
    bool enabled = false;                       // enablea
    int alias = 0;                              // the code of the selected radio, -1 none
    int selected = -1;                          // the selection in LBCanA
};

class EmcyTable : public TableEditor {
public:
    static constexpr int kRadios = 9;

    // The dialog's caption.
    static QString Caption() { return QStringLiteral("Set Traslate EMCY"); }
    QString tableName() const override;
    QString caption() const override { return Caption(); }
    bool Show(const QString& projectFolder, Prompter& prompter) override;
    bool Ok(const QString& projectFolder, Prompter& prompter) override;
    bool Import(const QString& path, Prompter& prompter) override;
    bool Export(const QString& projectFolder, Prompter& prompter) override;
    std::vector<TableListing> Listings() const override;

    // Side 0 is CAN A, 1 CAN B. An entry's list item is its id_dev.
    void ClearTables();
    // LBCanAClick: the entry at `position` into the page.
    void ShowEntry(int side, int position);
    // Whether the ID is rejected; each rejection has been shown.
    bool CheckEmcyId(const QString& id, const QString& selectedItem, bool modify, int side,
                     Prompter& prompter) const;
    void New(int side, Prompter& prompter);
    void Modify(int side, Prompter& prompter);
    void Delete(int side);

    Result<std::vector<QStringList>> FileRows() const;
    std::vector<QStringList> ExportLines() const;

    std::array<std::vector<TClEmcy>, 2> lists;
    std::array<EmcyPage, 2> pages;

private:
    TClEmcy readPage(int side, const TClEmcy& keep) const;
    void showFirstEntries();

    LoadShortfall shortfall_;
};

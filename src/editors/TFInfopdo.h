// "Define Store PDO": per side the PDOs of the PDO translate table, the SDO entries of the one
// selected and the edits of an entry. It moves values between the controls and StorePdoTable.
#pragma once

#include "editors/StorePdoTable.h"
#include "editors/TFTableDialog.h"

#include <array>

class QLineEdit;
class QListWidget;
class TRadioGroup;

class TFInfopdo : public TFTableDialog {
    Q_OBJECT
public:
    TFInfopdo(const Workspace& ws, Prompter& prompter, QWidget* parent = nullptr);

    StorePdoTable table;
    QPushButton* LbButton1; // OK

    // The controls of page "CanA" (side 0) and "CanB" (side 1).
    struct Page {
        QListWidget* LPdoCan;
        QListWidget* LSdoCan;
        QLineEdit* Eindex;
        QLineEdit* Esubindex;
        TRadioGroup* PoscompMsb;
        TRadioGroup* PoscompLsb;
        QPushButton* Delete;
        QPushButton* New;
        QPushButton* Modify;
        QPushButton* Copy;
        QPushButton* Paste;
    };
    std::array<Page, 2> page{};

    void LPdoCanAClick(int side);
    void LSdoCanAClick(int side);
    void DeleteAClick(int side);
    void NewAClick(int side);
    void ModifyAClick(int side);
    void CopyAClick(int side);
    void PasteAClick(int side);

protected:
    TableEditor& editor() override { return table; }
    void tableLoaded() override;

private:
    void makePage(int side, QWidget* w);
    // The edits and groups into the table's page, and the table's page into the controls.
    void readPage(int side);
    void showPage(int side);

    bool rendering_ = false;
};

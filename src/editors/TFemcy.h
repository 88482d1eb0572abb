// "Set Traslate EMCY": per bus the list of EMCY entries and the edits, check box and alias
// radios of one entry. It moves values between the controls and EmcyTable.
#pragma once

#include "editors/EmcyTable.h"
#include "editors/TFTableDialog.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

class TFemcy : public TFTableDialog {
    Q_OBJECT
public:
    TFemcy(const Workspace& ws, Prompter& prompter, QWidget* parent = nullptr);

    EmcyTable table;
    QPushButton* LbButton1; // OK

    // The controls of page "From CAN A" (side 0) and "From CAN B" (side 1).
    struct Page {
        QListWidget* LBCan;
        std::array<QLineEdit*, kEmcyTextFields> edits; // in field order: Eid_devA, ...
        QCheckBox* enable;
        std::array<QRadioButton*, EmcyTable::kRadios> radios; // by code: r1a, r2a, r3a, r9a, ...
        QButtonGroup* alias;
        QPushButton* New;
        QPushButton* Modify;
        QPushButton* Delete;
    };
    std::array<Page, 2> page{};

    void LBCanAClick(int side);
    void NewAClick(int side);
    void ModifyAClick(int side);
    void DeleteAClick(int side);

protected:
    TableEditor& editor() override { return table; }
    void tableLoaded() override;

private:
    void makePage(int side, QWidget* w);
    void readPage(int side);
    void showPage(int side);

    bool rendering_ = false;
};

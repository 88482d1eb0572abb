// "Define EMCY Word": per bus a tree of EMCY words and their bits, and the edits of the
// selected word or bit. It moves values between the controls and EmcyWordTable.
#pragma once

#include "editors/EmcyWordTable.h"
#include "editors/TFTableDialog.h"

#include <QIcon>

#include <array>

class QGroupBox;
class QLineEdit;
class QTreeView;

class TFWemcy : public TFTableDialog {
    Q_OBJECT
public:
    TFWemcy(const Workspace& ws, Prompter& prompter, QWidget* parent = nullptr);

    EmcyWordTable table;
    QPushButton* bitbtn1; // OK
    // The word and bit icons, drawn for this program.
    std::array<QIcon, 2> Large;

    // The controls of page "CanA" (side 0) and "CanB" (side 1).
    struct Page {
        QTreeView* TWCan;
        QGroupBox* GBword_emcy_bitmap;
        QLineEdit* Eindex_addrm;
        QLineEdit* Esubindex;
        QLineEdit* Edevid;
        QGroupBox* Gbebm;
        QLineEdit* Eb0;
        QLineEdit* Eb1;
        QLineEdit* Eposcomp;
        QLineEdit* Eposcomp2;
        QPushButton* New;
        QPushButton* Modify;
        QPushButton* Delete;
    };
    std::array<Page, 2> page{};

    void FormCreate();
    void TWCanAChange(int side);
    void newBClick(int side);
    void modifyBClick(int side);
    void deleteBClick(int side);
    // The selected node's position over all nodes of the side's tree; -1 when none is.
    int SelectedNodeIndex(int side) const;

protected:
    TableEditor& editor() override { return table; }
    void tableLoaded() override;
    void showEvent(QShowEvent* event) override;

private:
    void bindModels();
    void makePage(int side, QWidget* w);
    void readPage(int side);
    void showPage(int side);

    bool deleting_ = false;
};

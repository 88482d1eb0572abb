// The dialog of a two-grid table editor: one page per direction, each a grid over the
// editor's model. It only moves between the views and the core GridTable.
#pragma once

#include "editors/GridTable.h"
#include "editors/TFTableDialog.h"

#include <array>

class QLabel;
class QTableView;

class TFGridTable : public TFTableDialog {
    Q_OBJECT
public:
    TFGridTable(const GridTableSchema& schema, const Workspace& ws, Prompter& prompter,
                QWidget* parent);

    GridTable table;
    QTableView* sga;
    QTableView* sgb;
    QPushButton* bitbtn1; // OK

    virtual void FormResize() = 0;

protected:
    TableEditor& editor() override { return table; }
    void tableLoaded() override;
    // The page of grid `side`: the grid alone, or with what a dialog lays over it.
    virtual QWidget* makePage(int side, QTableView* grid);
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    void bindModels();

private:
    QTableView* makeGrid(int side);
};

// "Set SDO Access": per page two headings over the first four and the other five columns.
class TFsdo : public TFGridTable {
    Q_OBJECT
public:
    TFsdo(const Workspace& ws, Prompter& prompter, QWidget* parent = nullptr);
    // Every column a tenth of its grid's width; the headings follow.
    void FormResize() override;

protected:
    QWidget* makePage(int side, QTableView* grid) override;

private:
    std::array<std::array<QLabel*, 2>, 2> headings_{};
};

// "Define Traslate PDO".
class TFpdo : public TFGridTable {
    Q_OBJECT
public:
    TFpdo(const Workspace& ws, Prompter& prompter, QWidget* parent = nullptr);
    // Every column its grid's width over the column count, rounded, less 5.
    void FormResize() override;
};

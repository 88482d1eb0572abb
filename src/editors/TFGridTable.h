// The dialog of a two-grid table editor: one page per direction, each a grid over the
// editor's model, and OK, Cancel, Import and Export. It only moves between the views and the
// core GridTable and shows what that reports.
#pragma once

#include "editors/GridTable.h"

#include <QDialog>

#include <array>

class Prompter;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;
struct Workspace;

class TFGridTable : public QDialog {
    Q_OBJECT
public:
    TFGridTable(const GridTableSchema& schema, const Workspace& ws, Prompter& prompter,
                QWidget* parent);

    GridTable table;
    QTabWidget* pages;
    QTableView* sga;
    QTableView* sgb;
    QPushButton* bitbtn1; // OK
    QPushButton* bitbtn2; // Cancel
    QPushButton* bitbtn4; // Import
    QPushButton* button1; // Export

    void FormShow();
    // OK: true when the table file was written and the dialog closed.
    bool BitBtn1Click();
    void BitBtn4Click();
    void Button1Click();
    virtual void FormResize() = 0;

protected:
    // The page of grid `side`: the grid alone, or with what a dialog lays over it.
    virtual QWidget* makePage(int side, QTableView* grid);
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    const Workspace& ws_;
    Prompter& prompter_;

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

// The dialog classes `quenzor --open-dialog` can show, and one made by class name (null for
// another name).
QStringList TableDialogNames();
QDialog* MakeTableDialog(const QString& className, const Workspace& ws, Prompter& prompter,
                         QWidget* parent);

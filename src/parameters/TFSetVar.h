// The translate table dialog: the 2000-line grid of var.xml, edited in place, with a pick
// list for the data type.
#pragma once

#include <QDialog>
#include <QStyledItemDelegate>

class Prompter;
class QPushButton;
class QTableView;
class TranslateTableModel;
struct Workspace;

// The "Data Type" editor: a pick list of the four names that also takes typed text.
class TDataTypeDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
};

class TFSetVar : public QDialog {
    Q_OBJECT
public:
    TFSetVar(const Workspace& ws, Prompter& prompter, QWidget* parent = nullptr);

    TranslateTableModel* model;
    QTableView* sga;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;

    void FormShow();
    // Empties the grid and fills it from var.xml; a file that cannot be read is reported and
    // not replaced later without asking.
    void LoadTranslateTable();
    // The OK handler; true when var.xml was written and the dialog gave its OK result.
    bool SaveTranslateTable();
    void BitBtn2Click();
    // An empty grid that replaces nothing without asking: what a new project stores.
    void ResetTable();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void bindModel();

    const Workspace& ws_;
    Prompter& prompter_;
    bool unreadFile_ = false;
};

#include "parameters/TFSetVar.h"

#include "common/ControlNames.h"
#include "common/DialogButtons.h"
#include "common/Prompter.h"
#include "parameters/TranslateTable.h"
#include "project/Workspace.h"

#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

QWidget* TDataTypeDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex&) const {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(kDataTypeNames);
    return combo;
}

void TDataTypeDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* combo = static_cast<QComboBox*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    combo->setCurrentIndex(kDataTypeNames.indexOf(text));
    combo->setEditText(text);
}

void TDataTypeDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
}

TFSetVar::TFSetVar(const Workspace& ws, Prompter& prompter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint |
                          Qt::CustomizeWindowHint),
      ws_(ws), prompter_(prompter) {
    setWindowTitle(QStringLiteral("Set Translate Table"));
    setModal(true);
    setSizeGripEnabled(true);

    model = new TranslateTableModel(this);
    sga = new QTableView(this);
    sga->setItemDelegateForColumn(ColDataType, new TDataTypeDelegate(sga));
    sga->verticalHeader()->setVisible(false);
    // Fixed row heights keep the 2000 lines cheap to lay out and scroll.
    sga->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sga->verticalHeader()->setDefaultSectionSize(sga->fontMetrics().height() + 8);
    sga->horizontalHeader()->setStretchLastSection(true);
    sga->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    sga->setSelectionMode(QAbstractItemView::ContiguousSelection);
    sga->installEventFilter(this);

    bitbtn1 = new QPushButton(QStringLiteral("OK"), this);
    bitbtn2 = new QPushButton(QStringLiteral("Cancel"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sga);
    layout->addWidget(OkCancelBox(this, bitbtn1, bitbtn2));
    resize(820, 520);
    NameControls({{sga, "sga"}, {bitbtn1, "bitbtn1"}, {bitbtn2, "bitbtn2"}});
    // OK saves the whole table, so only its own click fires it, never an Enter in the grid.
    ApplyButtonKeys(this, nullptr, bitbtn2);

    connect(bitbtn1, &QPushButton::clicked, this, &TFSetVar::SaveTranslateTable);
    connect(bitbtn2, &QPushButton::clicked, this, &TFSetVar::BitBtn2Click);
}

void TFSetVar::showEvent(QShowEvent* event) {
    bindModel();
    if (!event->spontaneous()) // a restore from minimised is no new opening
        FormShow();
    QDialog::showEvent(event);
}

void TFSetVar::bindModel() {
    // Bound at the first showing: a view over 2000 rows costs more to set up than the rest of
    // the dialog, and every dialog is built at start-up whether it is opened or not.
    if (sga->model() == model)
        return;
    sga->setModel(model);
    const int widths[] = {50, 140, 95, 140, 95, 75};
    for (int c = 0; c < 6; ++c)
        sga->setColumnWidth(c, widths[c]);
}

void TFSetVar::FormShow() {
    bindModel();
    LoadTranslateTable();
    sga->scrollToTop();
    sga->setCurrentIndex(model->index(0, ColDataType));
    sga->setFocus();
}

void TFSetVar::LoadTranslateTable() {
    const Result<> loaded = ::LoadTranslateTable(*model, ws_.VarPath);
    unreadFile_ = !loaded.ok();
    if (!loaded)
        prompter_.errorReport(loaded.error());
}

bool TFSetVar::SaveTranslateTable() {
    if (!ConfirmTranslateTable(*model, ws_.VarPath, unreadFile_, windowTitle(), prompter_))
        return false;
    unreadFile_ = false;
    accept();
    return true;
}

void TFSetVar::ResetTable() {
    model->clear();
    unreadFile_ = false;
}

void TFSetVar::BitBtn2Click() {
    QDialog::reject();
}

// Closing the window by other means is the Cancel button.
void TFSetVar::reject() {
    BitBtn2Click();
}

// Delete empties the selected cells, as in a spreadsheet. While a cell is being edited its
// editor has the keys, so they never reach the grid.
bool TFSetVar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sga && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        if (const QItemSelectionModel* selection = sga->selectionModel())
            for (const QModelIndex& index : selection->selectedIndexes())
                model->setData(index, QString(), Qt::EditRole);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

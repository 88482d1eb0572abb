#include "editors/TFGridTable.h"

#include "common/Prompter.h"
#include "editors/PdoTable.h"
#include "editors/SdoTable.h"
#include "project/Workspace.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The .xls filter comes first, so the chooser opens on it.
const QString kImportFilter = QStringLiteral("File EXCEL (*.xls);;Workbook (*.xlsx *.ods);;"
                                             "File CSV (*.csv)");

// Column 0 shows the row numbers and looks like the title row above it.
class TNumberColumnDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->backgroundBrush = option->palette.brush(QPalette::Button);
    }
};

} // namespace

TFGridTable::TFGridTable(const GridTableSchema& schema, const Workspace& ws, Prompter& prompter,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      table(schema), ws_(ws), prompter_(prompter) {
    setWindowTitle(schema.caption);
    setModal(true);
    setSizeGripEnabled(true);

    sga = makeGrid(0);
    sgb = makeGrid(1);
    pages = new QTabWidget(this);

    bitbtn1 = new QPushButton(QStringLiteral("OK"), this);
    bitbtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    bitbtn4 = new QPushButton(QStringLiteral("Import"), this);
    button1 = new QPushButton(QStringLiteral("Export"), this);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(button1, QDialogButtonBox::ActionRole);
    buttons->addButton(bitbtn4, QDialogButtonBox::ActionRole);
    buttons->addButton(bitbtn1, QDialogButtonBox::AcceptRole);
    buttons->addButton(bitbtn2, QDialogButtonBox::RejectRole);
    // Enter belongs to the grid's cell editing; a default button would save on it.
    for (QPushButton* b : {bitbtn1, bitbtn2, bitbtn4, button1}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(buttons);

    connect(bitbtn1, &QPushButton::clicked, this, &TFGridTable::BitBtn1Click);
    connect(bitbtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(bitbtn4, &QPushButton::clicked, this, &TFGridTable::BitBtn4Click);
    connect(button1, &QPushButton::clicked, this, &TFGridTable::Button1Click);
}

QTableView* TFGridTable::makeGrid(int side) {
    auto* grid = new QTableView(this);
    grid->setObjectName(side == 0 ? QStringLiteral("sga") : QStringLiteral("sgb"));
    grid->setModel(&table.grid(side));
    grid->setItemDelegateForColumn(0, new TNumberColumnDelegate(grid));
    grid->verticalHeader()->setVisible(false);
    // Fixed row heights keep 1500 rows cheap to lay out and scroll.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid->installEventFilter(this);
    return grid;
}

QWidget* TFGridTable::makePage(int, QTableView* grid) {
    return grid;
}

void TFGridTable::showEvent(QShowEvent* event) {
    if (pages->count() == 0)
        for (int side = 0; side < 2; ++side)
            pages->addTab(makePage(side, side == 0 ? sga : sgb),
                          table.schema().pageCaptions[std::size_t(side)]);
    FormShow();
    QDialog::showEvent(event);
    // The button box makes OK the default when shown; Enter stays with the grid.
    bitbtn1->setDefault(false);
    FormResize();
}

void TFGridTable::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TFGridTable::FormShow() {
    table.Show(ws_.ProjectFolder, prompter_);
    pages->setCurrentIndex(0);
    for (QTableView* grid : {sga, sgb}) {
        grid->scrollToTop();
        grid->setCurrentIndex(grid->model()->index(0, 1));
    }
    sga->setFocus();
}

bool TFGridTable::BitBtn1Click() {
    if (!table.Ok(ws_.ProjectFolder, prompter_))
        return false;
    accept();
    return true;
}

void TFGridTable::BitBtn4Click() {
    const auto chosen =
        prompter_.chooseOpenFile(QStringLiteral("Open"), ws_.ProjectFolder, kImportFilter);
    if (chosen)
        table.Import(*chosen, prompter_);
}

void TFGridTable::Button1Click() {
    table.Export(ws_.ProjectFolder, prompter_);
}

// Delete empties the selected cells, as in a spreadsheet. While a cell is being edited its
// editor has the keys, so they never reach the grid.
bool TFGridTable::eventFilter(QObject* watched, QEvent* event) {
    auto* grid = qobject_cast<QTableView*>(watched);
    // A page shown for the first time gets its size only then.
    if ((grid == sga || grid == sgb) && event->type() == QEvent::Resize)
        FormResize();
    if ((grid == sga || grid == sgb) && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        for (const QModelIndex& index : grid->selectionModel()->selectedIndexes())
            grid->model()->setData(index, QString(), Qt::EditRole);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

TFsdo::TFsdo(const Workspace& ws, Prompter& prompter, QWidget* parent)
    : TFGridTable(SdoTableSchema(), ws, prompter, parent) {
    resize(900, 560);
}

QWidget* TFsdo::makePage(int side, QTableView* grid) {
    static const QString texts[2][2] = {{QStringLiteral("Define virtual index SDO in CAN A"),
                                         QStringLiteral("Input index address SDO in CAN B")},
                                        {QStringLiteral("Define virtual index SDO in CAN B"),
                                         QStringLiteral("Input index address SDO in CAN A")}};
    auto* page = new QWidget;
    auto* headingRow = new QHBoxLayout;
    headingRow->setContentsMargins(0, 0, 0, 0);
    headingRow->setSpacing(0);
    for (int h = 0; h < 2; ++h) {
        auto* label = new QLabel(texts[side][h], page);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Raised);
        headings_[std::size_t(side)][std::size_t(h)] = label;
        headingRow->addWidget(label);
    }
    headingRow->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(0);
    layout->addLayout(headingRow);
    layout->addWidget(grid);
    return page;
}

void TFsdo::FormResize() {
    for (int side = 0; side < 2; ++side) {
        QTableView* grid = side == 0 ? sga : sgb;
        const int width = grid->width() / 10;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            grid->setColumnWidth(c, width);
        if (headings_[std::size_t(side)][0]) {
            headings_[std::size_t(side)][0]->setFixedWidth(4 * width);
            headings_[std::size_t(side)][1]->setFixedWidth(5 * width);
        }
    }
}

TFpdo::TFpdo(const Workspace& ws, Prompter& prompter, QWidget* parent)
    : TFGridTable(PdoTableSchema(), ws, prompter, parent) {
    resize(640, 400);
}

void TFpdo::FormResize() {
    for (QTableView* grid : {sga, sgb}) {
        const int columns = grid->model()->columnCount();
        const int width = int(std::lround(double(grid->width()) / columns)) - 5;
        grid->horizontalHeader()->setDefaultSectionSize(width);
        for (int c = 0; c < columns; ++c)
            grid->setColumnWidth(c, width);
    }
}

QStringList TableDialogNames() {
    return {QStringLiteral("TFsdo"), QStringLiteral("TFpdo")};
}

QDialog* MakeTableDialog(const QString& className, const Workspace& ws, Prompter& prompter,
                         QWidget* parent) {
    if (className == QLatin1String("TFsdo"))
        return new TFsdo(ws, prompter, parent);
    if (className == QLatin1String("TFpdo"))
        return new TFpdo(ws, prompter, parent);
    return nullptr;
}

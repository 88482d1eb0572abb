#include "editors/TFWemcy.h"

#include "common/Prompter.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// A word: sixteen bit cells in a frame, the upper row lit. A bit: one lit cell.
QIcon drawIcon(bool word) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const QColor frame(40, 70, 110);
    const QColor lit(230, 160, 30);
    const QColor dark(170, 190, 215);
    if (word) {
        painter.setPen(frame);
        painter.setBrush(QColor(235, 240, 248));
        painter.drawRect(0, 0, 15, 15);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                painter.fillRect(2 + 3 * c, 2 + 3 * r, 2, 2, r == 0 ? lit : dark);
    } else {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(frame, 1.2));
        painter.setBrush(lit);
        painter.drawRoundedRect(QRectF(3.5, 3.5, 9, 9), 2, 2);
    }
    return QIcon(pixmap);
}

} // namespace

TFWemcy::TFWemcy(const Workspace& ws, Prompter& prompter, QWidget* parent)
    : TFTableDialog(EmcyWordTable::Caption(), "bitbtn1", ws, prompter, parent) {
    bitbtn1 = okButton;
    FormCreate();
    addPage(QStringLiteral("CanA"), [this](QWidget* w) { makePage(0, w); });
    addPage(QStringLiteral("CanB"), [this](QWidget* w) { makePage(1, w); });
    resize(760, 520);
}

void TFWemcy::FormCreate() {
    Large = {drawIcon(true), drawIcon(false)};
    for (int side = 0; side < 2; ++side) {
        WordTreeModel& tree = table.tree(side);
        tree.icons = {QVariant(Large[WordTreeModel::WordNode]),
                      QVariant(Large[WordTreeModel::BitNode])};
    }
}

void TFWemcy::makePage(int side, QWidget* w) {
    const bool a = side == 0;
    const QString letter = a ? QStringLiteral("A") : QStringLiteral("B");
    const QString other = a ? QStringLiteral("B") : QStringLiteral("A");
    Page& p = page[std::size_t(side)];
    const auto named = [&](auto* control, const QString& name) {
        control->setObjectName(name);
        return control;
    };
    p.TWCan = named(new QTreeView(w), QStringLiteral("TWCan") + letter);
    p.TWCan->setHeaderHidden(true);
    p.TWCan->setUniformRowHeights(true);
    p.TWCan->setEditTriggers(QAbstractItemView::NoEditTriggers);
    p.TWCan->setSelectionMode(QAbstractItemView::SingleSelection);

    p.GBword_emcy_bitmap =
        named(new QGroupBox(table.wordCaption, w), QStringLiteral("GBword_emcy_bitmap") + letter);
    p.Eindex_addrm = named(new QLineEdit(w), QStringLiteral("Eindex_addrm") + letter);
    p.Esubindex = named(new QLineEdit(w), QStringLiteral("Esubindex") + letter);
    p.Edevid = named(new QLineEdit(w), QStringLiteral("Edevid") + letter);
    p.Gbebm = named(new QGroupBox(table.bitCaption, p.GBword_emcy_bitmap),
                    QStringLiteral("Gbebm") + letter);
    p.Eb0 = named(new QLineEdit(w), QStringLiteral("Eb0") + letter);
    p.Eb1 = named(new QLineEdit(w), QStringLiteral("Eb1") + letter);
    p.Eposcomp = named(new QLineEdit(w), QStringLiteral("Eposcomp") + letter);
    p.Eposcomp2 = named(new QLineEdit(w), QStringLiteral("Eposcomp") + letter + QLatin1Char('2'));
    p.New = named(new QPushButton(QStringLiteral("New"), w), QStringLiteral("new") + letter);
    p.Modify =
        named(new QPushButton(QStringLiteral("Modify"), w), QStringLiteral("modify") + letter);
    p.Delete =
        named(new QPushButton(QStringLiteral("Delete"), w), QStringLiteral("delete") + letter);

    auto* bitForm = new QFormLayout(p.Gbebm);
    bitForm->addRow(QStringLiteral("Mask Byte 1"), p.Eb0);
    bitForm->addRow(a ? QStringLiteral("Mask byte 2") : QStringLiteral("Mask Byte 2"), p.Eb1);
    bitForm->addRow(QStringLiteral("Emcy byte 1"), p.Eposcomp);
    bitForm->addRow(QStringLiteral("Emcy Byte 2"), p.Eposcomp2);
    auto* wordForm = new QFormLayout;
    wordForm->addRow(QStringLiteral("Index SDO BUS ") + other, p.Eindex_addrm);
    wordForm->addRow(QStringLiteral("Subindex SDO BUS ") + other, p.Esubindex);
    wordForm->addRow(QStringLiteral("ID EMCY BUS ") + letter, p.Edevid);
    auto* wordLayout = new QVBoxLayout(p.GBword_emcy_bitmap);
    wordLayout->addLayout(wordForm);
    wordLayout->addWidget(p.Gbebm);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {p.New, p.Modify, p.Delete})
        buttons->addWidget(b);
    auto* right = new QVBoxLayout;
    right->addWidget(p.GBword_emcy_bitmap);
    right->addStretch();
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(w);
    layout->addWidget(p.TWCan, 2);
    layout->addLayout(right, 3);

    connect(p.New, &QPushButton::clicked, this, [this, side] { newBClick(side); });
    connect(p.Modify, &QPushButton::clicked, this, [this, side] { modifyBClick(side); });
    connect(p.Delete, &QPushButton::clicked, this, [this, side] { deleteBClick(side); });
}

void TFWemcy::bindModels() {
    // Bound at the first showing: every dialog is built at start-up whether it is opened or
    // not, and a view takes longer to bind than to build.
    for (int side = 0; side < 2; ++side) {
        QTreeView* tree = page[std::size_t(side)].TWCan;
        if (tree->model() == &table.tree(side))
            continue;
        tree->setModel(&table.tree(side));
        connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, side](const QItemSelection& selected) {
                    if (!selected.isEmpty() && !deleting_)
                        TWCanAChange(side);
                });
    }
}

void TFWemcy::showEvent(QShowEvent* event) {
    BuildPages();
    bindModels();
    TFTableDialog::showEvent(event);
}

int TFWemcy::SelectedNodeIndex(int side) const {
    const QItemSelectionModel* selection = page[std::size_t(side)].TWCan->selectionModel();
    if (!selection)
        return -1;
    const QModelIndexList selected = selection->selectedIndexes();
    return selected.isEmpty() ? -1 : WordTreeModel::NodePosition(selected.first());
}

void TFWemcy::readPage(int side) {
    const Page& p = page[std::size_t(side)];
    EmcyWordPage& t = table.pages[std::size_t(side)];
    t.index = p.Eindex_addrm->text();
    t.subindex = p.Esubindex->text();
    t.devid = p.Edevid->text();
    t.b0 = p.Eb0->text();
    t.b1 = p.Eb1->text();
    t.first = p.Eposcomp->text();
    t.second = p.Eposcomp2->text();
}

void TFWemcy::showPage(int side) {
    const Page& p = page[std::size_t(side)];
    const EmcyWordPage& t = table.pages[std::size_t(side)];
    p.Eindex_addrm->setText(t.index);
    p.Esubindex->setText(t.subindex);
    p.Edevid->setText(t.devid);
    p.Eb0->setText(t.b0);
    p.Eb1->setText(t.b1);
    p.Eposcomp->setText(t.first);
    p.Eposcomp2->setText(t.second);
    // The captions are the same on both pages.
    for (const Page& each : page) {
        each.GBword_emcy_bitmap->setTitle(table.wordCaption);
        each.Gbebm->setTitle(table.bitCaption);
    }
}

void TFWemcy::tableLoaded() {
    bindModels();
    showPage(0);
    showPage(1);
}

void TFWemcy::TWCanAChange(int side) {
    readPage(side);
    const Result<> shown = table.ShowNode(SelectedNodeIndex(side), side);
    showPage(side);
    if (!shown)
        prompter_.errorReport(shown.error());
}

void TFWemcy::newBClick(int side) {
    readPage(side);
    table.New(side, prompter_);
}

void TFWemcy::modifyBClick(int side) {
    readPage(side);
    table.Modify(side, SelectedNodeIndex(side), prompter_);
    showPage(side);
}

void TFWemcy::deleteBClick(int side) {
    readPage(side);
    // The tree picks its next selection while the rows are still there; the page shows that
    // node once the positions are final.
    deleting_ = true;
    const bool deleted = table.Delete(side, SelectedNodeIndex(side));
    deleting_ = false;
    if (deleted && SelectedNodeIndex(side) >= 0)
        TWCanAChange(side);
}

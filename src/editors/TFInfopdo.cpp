#include "editors/TFInfopdo.h"

#include "common/ControlNames.h"
#include "common/RadioGroup.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QStringList kChoices = {QStringLiteral("none"), QStringLiteral("B1"), QStringLiteral("B2"),
                              QStringLiteral("B3"),   QStringLiteral("B4"), QStringLiteral("B5"),
                              QStringLiteral("B6"),   QStringLiteral("B7"), QStringLiteral("B8")};

} // namespace

TFInfopdo::TFInfopdo(const Workspace& ws, Prompter& prompter, QWidget* parent)
    : TFTableDialog(StorePdoTable::Caption(), "LbButton1", ws, prompter, parent) {
    LbButton1 = okButton;
    addPage(QStringLiteral("CanA"), [this](QWidget* w) { makePage(0, w); });
    addPage(QStringLiteral("CanB"), [this](QWidget* w) { makePage(1, w); });
    resize(820, 470);
}

void TFInfopdo::makePage(int side, QWidget* w) {
    const bool a = side == 0;
    const QString here = a ? QStringLiteral("CANA") : QStringLiteral("CANB");
    const QString there = a ? QStringLiteral("CANB") : QStringLiteral("CANA");
    Page& p = page[std::size_t(side)];
    p.LPdoCan = new QListWidget(w);
    p.LSdoCan = new QListWidget(w);
    p.Eindex = new QLineEdit(w);
    p.Esubindex = new QLineEdit(w);
    p.PoscompMsb = new TRadioGroup(QStringLiteral("Selected PDO Byte"), kChoices, w, 3);
    p.PoscompLsb = new TRadioGroup(QStringLiteral("Selected PDO Byte"), kChoices, w, 3);
    p.Delete = new QPushButton(QStringLiteral("Delete SDO"), w);
    p.New = new QPushButton(QStringLiteral("New SDO"), w);
    p.Modify = new QPushButton(QStringLiteral("Modify SDO"), w);
    p.Copy = new QPushButton(QStringLiteral("Copy SDO"), w);
    p.Paste = new QPushButton(QStringLiteral("Paste SDO"), w);
    if (a)
        NameControls({{p.LPdoCan, "LPdoCanA"},
                      {p.LSdoCan, "LSdoCanA"},
                      {p.Eindex, "EindexA"},
                      {p.Esubindex, "EsubindexA"},
                      {p.PoscompMsb, "PoscompMsbA"},
                      {p.PoscompLsb, "PoscompLsbA"},
                      {p.Delete, "DELETEa"},
                      {p.New, "NewA"},
                      {p.Modify, "ModifyA"},
                      {p.Copy, "copyA"},
                      {p.Paste, "PasteA"}});
    else
        NameControls({{p.LPdoCan, "LPdoCanB"},
                      {p.LSdoCan, "LSdoCanB"},
                      {p.Eindex, "EindexB"},
                      {p.Esubindex, "EsubindexB"},
                      {p.PoscompMsb, "PoscompMsbB"},
                      {p.PoscompLsb, "PoscompLsbB"},
                      {p.Delete, "Deleteb"},
                      {p.New, "Newb"},
                      {p.Modify, "Modifyb"},
                      {p.Copy, "copyB"},
                      {p.Paste, "PasteB"}});

    // The two lists side by side, their labels above them.
    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("Correlated"), w), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("Index PDO in ") + here, w), 1, 0);
    lists->addWidget(new QLabel(QStringLiteral("SDO ") + there, w), 1, 1);
    lists->addWidget(p.LPdoCan, 2, 0);
    lists->addWidget(p.LSdoCan, 2, 1);

    auto* edits = new QGridLayout;
    edits->addWidget(new QLabel(QStringLiteral("Index SDO ") + there, w), 0, 0);
    edits->addWidget(p.Eindex, 0, 1);
    edits->addWidget(new QLabel(QStringLiteral("Subindex SDO ") + there, w), 1, 0);
    edits->addWidget(p.Esubindex, 1, 1);
    const auto position = [&](int row, const QString& into, const QString& byte,
                              TRadioGroup* group) {
        auto* labels = new QVBoxLayout;
        labels->addStretch();
        labels->addWidget(new QLabel(byte, w));
        labels->addWidget(new QLabel(into, w));
        labels->addStretch();
        edits->addLayout(labels, row, 0);
        edits->addWidget(group, row, 1);
    };
    position(2, QStringLiteral("Traslate in"), QStringLiteral("High SDO Byte"), p.PoscompMsb);
    position(3, a ? QStringLiteral("Trsalete in") : QStringLiteral("Traslate in"),
             QStringLiteral("Low SDO Byte"), p.PoscompLsb);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {p.New, p.Modify, p.Delete, p.Copy, p.Paste})
        buttons->addWidget(b);
    auto* editColumn = new QVBoxLayout;
    editColumn->addLayout(edits);
    editColumn->addStretch();
    editColumn->addLayout(buttons);

    auto* layout = new QHBoxLayout(w);
    layout->addLayout(lists, 4);
    layout->addLayout(editColumn, 5);

    OnChosen(p.LPdoCan, rendering_, [this, side] { LPdoCanAClick(side); });
    OnChosen(p.LSdoCan, rendering_, [this, side] { LSdoCanAClick(side); });
    connect(p.Delete, &QPushButton::clicked, this, [this, side] { DeleteAClick(side); });
    connect(p.New, &QPushButton::clicked, this, [this, side] { NewAClick(side); });
    connect(p.Modify, &QPushButton::clicked, this, [this, side] { ModifyAClick(side); });
    connect(p.Copy, &QPushButton::clicked, this, [this, side] { CopyAClick(side); });
    connect(p.Paste, &QPushButton::clicked, this, [this, side] { PasteAClick(side); });
}

void TFInfopdo::readPage(int side) {
    const Page& p = page[std::size_t(side)];
    StorePdoPage& t = table.pages[std::size_t(side)];
    t.index = p.Eindex->text();
    t.subindex = p.Esubindex->text();
    t.high = p.PoscompMsb->itemIndex();
    t.low = p.PoscompLsb->itemIndex();
}

void TFInfopdo::showPage(int side) {
    rendering_ = true;
    const Page& p = page[std::size_t(side)];
    const StorePdoPage& t = table.pages[std::size_t(side)];
    if (t.pdo < 0)
        p.LPdoCan->setCurrentRow(-1);
    else
        p.LPdoCan->setCurrentRow(t.pdo);
    QStringList shown;
    for (int i = 0; i < p.LSdoCan->count(); ++i)
        shown << p.LSdoCan->item(i)->text();
    if (shown != t.entryNames) {
        p.LSdoCan->clear();
        p.LSdoCan->addItems(t.entryNames);
    }
    p.LSdoCan->setCurrentRow(t.entry);
    p.Eindex->setText(t.index);
    p.Esubindex->setText(t.subindex);
    p.PoscompMsb->setItemIndex(t.high);
    p.PoscompLsb->setItemIndex(t.low);
    rendering_ = false;
}

void TFInfopdo::tableLoaded() {
    for (int side = 0; side < 2; ++side) {
        QListWidget* list = page[std::size_t(side)].LPdoCan;
        rendering_ = true;
        list->clear();
        for (const TClPdo& pdo : table.pdos[std::size_t(side)])
            list->addItem(pdo.cobid);
        rendering_ = false;
        showPage(side);
    }
}

void TFInfopdo::LPdoCanAClick(int side) {
    table.SelectPdo(side, page[std::size_t(side)].LPdoCan->currentRow());
    showPage(side);
}

void TFInfopdo::LSdoCanAClick(int side) {
    readPage(side);
    table.SelectEntry(side, page[std::size_t(side)].LSdoCan->currentRow(), prompter_);
    showPage(side);
}

void TFInfopdo::DeleteAClick(int side) {
    readPage(side);
    table.Delete(side);
    showPage(side);
}

void TFInfopdo::NewAClick(int side) {
    readPage(side);
    table.New(side, prompter_);
    showPage(side);
}

void TFInfopdo::ModifyAClick(int side) {
    readPage(side);
    table.Modify(side, prompter_);
    showPage(side);
}

void TFInfopdo::CopyAClick(int side) {
    readPage(side);
    table.Copy(side);
}

void TFInfopdo::PasteAClick(int side) {
    readPage(side);
    table.Paste(side, prompter_);
    showPage(side);
}

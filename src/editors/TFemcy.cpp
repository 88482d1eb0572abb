#include "editors/TFemcy.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

struct FieldLabel {
    const char* name;
    const char* range;
};

// Per field, in field order.
const FieldLabel kLabels[kEmcyTextFields] = {
    {"ID_EMCY", "(1..127)"},
    {"Mask_error_code", "(0..65535)"},
    {"MAsk_error_Reg", "(0..255)"},
    {"Mask_Manu1", "(0..65535)"},
    {"Mask_Manu2", "(0..65535)"},
    {"Mask_Manu3", "(0..255)"},
    {"Enabled_mask_error_code", "(0..65535)"},
    {"Enabled_mask_error_Reg", "(0..255)"},
    {"Enabled_Mask_Manu1", "(0..65535)"},
    {"Enabled_Mask_Manu2", "(0..65535)"},
    {"Enabled_Mask_Manu3", "(0..255)"},
};

// The radio of each code: its name without the page letter, and its caption.
const FieldLabel kRadios[EmcyTable::kRadios] = {
    {"r1", nullptr},           {"r2", "Error code byte  HIGH"}, {"r3", "Error code byte LOW"},
    {"r9", "Error Reg"},       {"r4", "Manu1 byte HIGH"},       {"r5", "Manu1 byte LOW"},
    {"r6", "Manu2 byte HIGH"}, {"r7", "Manu2 byte LOW"},        {"r8", "Manu3"},
};

} // namespace

TFemcy::TFemcy(const Workspace& ws, Prompter& prompter, QWidget* parent)
    : TFTableDialog(EmcyTable::Caption(), "LbButton1", ws, prompter, parent) {
    LbButton1 = okButton;
    addPage(QStringLiteral("From CAN A"), [this](QWidget* w) { makePage(0, w); });
    addPage(QStringLiteral("From CAN B"), [this](QWidget* w) { makePage(1, w); });
    resize(1000, 500);
}

void TFemcy::makePage(int side, QWidget* w) {
    const bool a = side == 0;
    const QString here = a ? QStringLiteral("CANA") : QStringLiteral("CANB");
    const QString there = a ? QStringLiteral("CANB") : QStringLiteral("CANA");
    const QString upper = a ? QStringLiteral("A") : QStringLiteral("B");
    const QString lower = a ? QStringLiteral("a") : QStringLiteral("b");
    Page& p = page[std::size_t(side)];

    p.LBCan = new QListWidget(w);
    p.LBCan->setObjectName(QStringLiteral("LBCan") + upper);

    // The ID alone, then each field's mask beside its enable mask.
    auto* fields = new QGridLayout;
    int editWidth = 0; // measured once: the edits share one font
    for (int f = 0; f < kEmcyTextFields; ++f) {
        auto* edit = new QLineEdit(w);
        edit->setObjectName(QStringLiteral("E") + EmcyAttributes()[f] + upper);
        // Room for a hexadecimal value of 32 bits.
        if (editWidth == 0)
            editWidth = edit->fontMetrics().horizontalAdvance(QStringLiteral("0x00000000")) + 12;
        edit->setMinimumWidth(editWidth);
        p.edits[std::size_t(f)] = edit;
        auto* label = new QLabel(QStringLiteral("%1   %2").arg(QLatin1String(kLabels[f].name),
                                                               QLatin1String(kLabels[f].range)),
                                 w);
        label->setBuddy(edit);
        const int row = f == 0 ? 0 : 1 + (f - 1) % 5;
        const int column = f == 0 || f <= 5 ? 0 : 2;
        fields->addWidget(label, row, column);
        fields->addWidget(edit, row, column + 1);
    }

    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);
    fields->setColumnMinimumWidth(2, 12);

    p.enable = new QCheckBox(QStringLiteral("Enabled_Traslate to ") + there, w);
    p.enable->setObjectName(QStringLiteral("enable") + lower);

    auto* group = new QGroupBox(QStringLiteral("Allias use"), w);
    p.alias = new QButtonGroup(group);
    auto* radios = new QVBoxLayout;
    for (int code = 0; code < EmcyTable::kRadios; ++code) {
        const QString caption = kRadios[code].range ? QString::fromLatin1(kRadios[code].range)
                                                    : QStringLiteral("No traslate ID ") + here;
        auto* radio = new QRadioButton(caption, group);
        radio->setObjectName(QLatin1String(kRadios[code].name) + lower);
        p.radios[std::size_t(code)] = radio;
        p.alias->addButton(radio, code);
        radios->addWidget(radio);
    }
    auto* groupTexts = new QVBoxLayout;
    groupTexts->addStretch();
    groupTexts->addWidget(
        new QLabel(QStringLiteral("ID ") + here + QStringLiteral(" EMCY "), group));
    groupTexts->addWidget(new QLabel(QStringLiteral("Traslate in"), group));
    groupTexts->addWidget(new QLabel(there + QStringLiteral(" EMCY at:"), group));
    groupTexts->addStretch();
    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->addLayout(groupTexts);
    groupLayout->addLayout(radios);

    p.New = new QPushButton(QStringLiteral("New EMCY"), w);
    p.Modify =
        new QPushButton(a ? QStringLiteral("Modify ENCY") : QStringLiteral("Modify EMCY"), w);
    p.Delete = new QPushButton(QStringLiteral("Delete EMCY"), w);
    p.New->setObjectName(QStringLiteral("New") + upper);
    p.Modify->setObjectName(QStringLiteral("Modify") + upper);
    p.Delete->setObjectName(QStringLiteral("Delete") + upper);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {p.New, p.Modify, p.Delete})
        buttons->addWidget(b);

    auto* right = new QVBoxLayout;
    right->addWidget(p.enable);
    right->addWidget(group);
    right->addStretch();
    auto* middle = new QVBoxLayout;
    middle->addLayout(fields);
    middle->addStretch();
    middle->addLayout(buttons);
    auto* layout = new QHBoxLayout(w);
    layout->addWidget(p.LBCan, 1);
    layout->addLayout(middle, 5);
    layout->addLayout(right, 2);

    OnChosen(p.LBCan, rendering_, [this, side] { LBCanAClick(side); });
    connect(p.New, &QPushButton::clicked, this, [this, side] { NewAClick(side); });
    connect(p.Modify, &QPushButton::clicked, this, [this, side] { ModifyAClick(side); });
    connect(p.Delete, &QPushButton::clicked, this, [this, side] { DeleteAClick(side); });
}

void TFemcy::readPage(int side) {
    const Page& p = page[std::size_t(side)];
    EmcyPage& t = table.pages[std::size_t(side)];
    for (int f = 0; f < kEmcyTextFields; ++f)
        t.edits[std::size_t(f)] = p.edits[std::size_t(f)]->text();
    t.enabled = p.enable->isChecked();
    t.alias = p.alias->checkedId();
}

void TFemcy::showPage(int side) {
    rendering_ = true;
    const Page& p = page[std::size_t(side)];
    const EmcyPage& t = table.pages[std::size_t(side)];
    const std::vector<TClEmcy>& list = table.lists[std::size_t(side)];
    bool same = p.LBCan->count() == int(list.size());
    for (int i = 0; same && i < p.LBCan->count(); ++i)
        same = p.LBCan->item(i)->text() == list[std::size_t(i)].texts[0];
    if (!same) {
        p.LBCan->clear();
        for (const TClEmcy& e : list)
            p.LBCan->addItem(e.texts[0]);
    }
    p.LBCan->setCurrentRow(t.selected);
    for (int f = 0; f < kEmcyTextFields; ++f)
        p.edits[std::size_t(f)]->setText(t.edits[std::size_t(f)]);
    p.enable->setChecked(t.enabled);
    if (QAbstractButton* radio = p.alias->button(t.alias))
        radio->setChecked(true);
    rendering_ = false;
}

void TFemcy::tableLoaded() {
    showPage(0);
    showPage(1);
}

void TFemcy::LBCanAClick(int side) {
    readPage(side);
    table.ShowEntry(side, page[std::size_t(side)].LBCan->currentRow());
    showPage(side);
}

void TFemcy::NewAClick(int side) {
    readPage(side);
    table.New(side, prompter_);
    showPage(side);
}

void TFemcy::ModifyAClick(int side) {
    readPage(side);
    table.Modify(side, prompter_);
    showPage(side);
}

void TFemcy::DeleteAClick(int side) {
    readPage(side);
    table.Delete(side);
    showPage(side);
}

#include "parameters/TFpargen.h"

#include "common/ControlNames.h"
#include "common/DialogButtons.h"
#include "common/Prompter.h"
#include "parameters/PortSpinEdit.h"
#include "parameters/TFSNMP.h"
#include "project/Workspace.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TFpargen::TFpargen(const Workspace& ws, Prompter& prompter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ws_(ws),
      prompter_(prompter) {
    setWindowTitle(QStringLiteral("General Parameter"));
    setModal(true);

    GroupBox1 = new QGroupBox(QStringLiteral("MODBUS TCP"), this);
    auto octet = [this] {
        auto* e = new QLineEdit(GroupBox1);
        e->setFixedWidth(46);
        e->setAlignment(Qt::AlignCenter);
        e->installEventFilter(this);
        return e;
    };
    E_IP1 = octet();
    E_IP2 = octet();
    E_IP3 = octet();
    E_IP4 = octet();
    E_SUB1 = octet();
    E_SUB2 = octet();
    E_SUB3 = octet();
    E_SUB4 = octet();
    E_GAT1 = octet();
    E_GAT2 = octet();
    E_GAT3 = octet();
    E_GAT4 = octet();
    octets_ = {{{E_IP1, E_IP2, E_IP3, E_IP4},
                {E_SUB1, E_SUB2, E_SUB3, E_SUB4},
                {E_GAT1, E_GAT2, E_GAT3, E_GAT4}}};
    SE_Port = new TPortSpinEdit(GroupBox1);
    SE_Port->setFixedWidth(90);
    LbButton1 = new QPushButton(QStringLiteral("Advanced Parameter"), GroupBox1);

    auto* tcp = new QGridLayout(GroupBox1);
    const QStringList rowTitles = {QStringLiteral("IP Address"), QStringLiteral("Subnet Mask"),
                                   QStringLiteral("Gateway")};
    for (int row = 0; row < 3; ++row) {
        auto* title = new QLabel(rowTitles[row], GroupBox1);
        tcp->addWidget(title, row, 0);
        QList<QWidget*> rowWidgets = {title};
        for (int i = 0; i < 4; ++i) {
            tcp->addWidget(octets_[row][i], row, 1 + 2 * i);
            rowWidgets.append(octets_[row][i]);
            if (i < 3) {
                auto* dot = new QLabel(QStringLiteral("."), GroupBox1);
                tcp->addWidget(dot, row, 2 + 2 * i);
                rowWidgets.append(dot);
            }
        }
        if (row == 2) // the default gateway is held but not offered in this product
            for (QWidget* w : rowWidgets)
                w->setVisible(false);
    }
    tcp->addWidget(new QLabel(QStringLiteral("Port"), GroupBox1), 3, 0);
    tcp->addWidget(SE_Port, 3, 1, 1, 3);
    tcp->addWidget(LbButton1, 4, 0, 1, 8);
    tcp->setColumnStretch(8, 1);
    LbButton1->setVisible(false);

    GroupBox2 = new QGroupBox(QStringLiteral("BaudRate 485"), this);
    CB_Baud = new QComboBox(GroupBox2);
    CB_Baud->addItems(kBaudNames);
    CB_Par = new QComboBox(GroupBox2);
    CB_Par->addItems(kParityNames);
    E_Time = new QLineEdit(GroupBox2);
    auto* serial = new QGridLayout(GroupBox2);
    auto* parityTitle = new QLabel(QStringLiteral("Parity"), GroupBox2);
    auto* timeTitle = new QLabel(QStringLiteral("Timeout (ms)"), GroupBox2);
    serial->addWidget(new QLabel(QStringLiteral("Baud rate"), GroupBox2), 0, 0);
    serial->addWidget(CB_Baud, 0, 1);
    serial->addWidget(parityTitle, 1, 0);
    serial->addWidget(CB_Par, 1, 1);
    serial->addWidget(timeTitle, 2, 0);
    serial->addWidget(E_Time, 2, 1);
    serial->setColumnStretch(2, 1);
    for (QWidget* w : {static_cast<QWidget*>(parityTitle), static_cast<QWidget*>(CB_Par),
                       static_cast<QWidget*>(timeTitle), static_cast<QWidget*>(E_Time)})
        w->setVisible(false);
    // The fields of both boxes start at one column, so the Baud rate box lines up with the
    // address fields above it.
    int titleWidth = 0;
    for (const QGridLayout* grid : {tcp, serial})
        for (int r = 0; r < grid->rowCount(); ++r)
            if (const QLayoutItem* item = grid->itemAtPosition(r, 0);
                item && item->widget() && qobject_cast<QLabel*>(item->widget()))
                titleWidth = qMax(titleWidth, item->widget()->sizeHint().width());
    tcp->setColumnMinimumWidth(0, titleWidth);
    serial->setColumnMinimumWidth(0, titleWidth);

    GroupBox3 = new QGroupBox(QStringLiteral("System Data Offset"), this);
    E_Offset = new QLineEdit(GroupBox3);
    (new QHBoxLayout(GroupBox3))->addWidget(E_Offset);
    GroupBox3->setVisible(false);

    RG_Mode = new TRadioGroup(QStringLiteral("Operation Mode"), kModeNames, this);
    RG_Mode->setVisible(false);

    bitbtn1 = new QPushButton(QStringLiteral("OK"), this);
    bitbtn2 = new QPushButton(QStringLiteral("Cancel"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2);
    layout->addWidget(GroupBox3);
    layout->addWidget(RG_Mode);
    layout->addWidget(OkCancelBox(this, bitbtn1, bitbtn2));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    NameControls({{GroupBox1, "GroupBox1"}, {GroupBox2, "GroupBox2"}, {GroupBox3, "GroupBox3"},
                  {E_IP1, "E_IP1"},         {E_IP2, "E_IP2"},         {E_IP3, "E_IP3"},
                  {E_IP4, "E_IP4"},         {E_SUB1, "E_SUB1"},       {E_SUB2, "E_SUB2"},
                  {E_SUB3, "E_SUB3"},       {E_SUB4, "E_SUB4"},       {E_GAT1, "E_GAT1"},
                  {E_GAT2, "E_GAT2"},       {E_GAT3, "E_GAT3"},       {E_GAT4, "E_GAT4"},
                  {SE_Port, "SE_Port"},     {LbButton1, "LbButton1"}, {CB_Baud, "CB_Baud"},
                  {CB_Par, "CB_Par"},       {E_Time, "E_Time"},       {E_Offset, "E_Offset"},
                  {RG_Mode, "RG_Mode"},     {bitbtn1, "bitbtn1"},     {bitbtn2, "bitbtn2"}});
    ApplyButtonKeys(this, bitbtn1, bitbtn2);

    connect(bitbtn1, &QPushButton::clicked, this, &TFpargen::BitBtn1Click);
    connect(bitbtn2, &QPushButton::clicked, this, &TFpargen::BitBtn2Click);
    connect(LbButton1, &QPushButton::clicked, this, &TFpargen::LbButton1Click);

    WriteParameterDefaults();
}

void TFpargen::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) // a restore from minimised is no new opening
        FormShow();
    QDialog::showEvent(event);
}

void TFpargen::FormShow() {
    LoadParameters();
    E_IP1->setFocus();
}

void TFpargen::WriteParameterDefaults() {
    setValues(::WriteParameterDefaults());
    unreadFile_ = false;
}

void TFpargen::LoadParameters() {
    const LoadedParameters loaded = ::LoadParameters(ws_.PargenPath);
    setValues(loaded.values);
    unreadFile_ = loaded.error.has_value();
    if (loaded.error)
        prompter_.errorReport(*loaded.error);
}

GeneralParameters TFpargen::values() const {
    GeneralParameters v;
    for (int i = 0; i < 4; ++i) {
        v.ip[i] = octets_[0][i]->text();
        v.sub[i] = octets_[1][i]->text();
        v.gat[i] = octets_[2][i]->text();
    }
    v.port = SE_Port->text();
    v.snmpPublic = SnmpPublic;
    v.snmpPrivate = SnmpPrivate;
    v.baudCode =
        CB_Baud->currentIndex() >= 0 ? CB_Baud->currentIndex() + kBaudCodeOffset : baudCode_;
    v.parity = CB_Par->currentIndex();
    v.timeOut = E_Time->text();
    v.offset = E_Offset->text();
    v.mode = RG_Mode->itemIndex();
    return v;
}

void TFpargen::setValues(const GeneralParameters& v) {
    for (int i = 0; i < 4; ++i) {
        octets_[0][i]->setText(v.ip[i]);
        octets_[1][i]->setText(v.sub[i]);
        octets_[2][i]->setText(v.gat[i]);
    }
    SE_Port->setText(v.port);
    SnmpPublic = v.snmpPublic;
    SnmpPrivate = v.snmpPrivate;
    baudCode_ = v.baudCode;
    CB_Baud->setCurrentIndex(BaudPosition(v.baudCode));
    CB_Par->setCurrentIndex(v.parity);
    E_Time->setText(v.timeOut);
    E_Offset->setText(v.offset);
    RG_Mode->setItemIndex(v.mode);
}

bool TFpargen::BitBtn1Click() {
    const GeneralParameters v = values();
    const ParametersOk outcome =
        ConfirmParameters(v, ws_.PargenPath, unreadFile_, windowTitle(), prompter_);
    if (outcome == ParametersOk::SaveFailed)
        return false;
    if (outcome == ParametersOk::Saved) {
        unreadFile_ = false;
        if (setTranslateEnabled)
            setTranslateEnabled(TranslateTableInUse(v));
    }
    // The ping address follows what was typed, whether or not it passed.
    if (setPingAddress)
        setPingAddress(PingAddress(v));
    if (outcome != ParametersOk::Saved)
        return false;
    accept();
    return true;
}

void TFpargen::BitBtn2Click() {
    QDialog::reject();
}

// Closing the window by other means is the Cancel button.
void TFpargen::reject() {
    BitBtn2Click();
}

void TFpargen::LbButton1Click() {
    if (!FSNMP)
        return;
    FSNMP->Edit1->setText(SnmpPublic);
    FSNMP->Edit2->setText(SnmpPrivate);
    if (execDialog(FSNMP) != QDialog::Accepted)
        return;
    SnmpPublic = FSNMP->Edit1->text().left(kSnmpNameLength);
    SnmpPrivate = FSNMP->Edit2->text().left(kSnmpNameLength);
}

// "." in an octet field moves to the next octet of the same address and is never typed.
// An octet field that gets the focus other than by a click has its text selected, so typing
// replaces the octet.
bool TFpargen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
        if (auto* field = qobject_cast<QLineEdit*>(watched))
            field->selectAll();
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->text() == QLatin1String(".")) {
        for (const auto& address : octets_)
            for (int i = 0; i < 4; ++i)
                if (address[i] == watched) {
                    if (i < 3 && address[i + 1]->isVisible() && address[i + 1]->isEnabled()) {
                        address[i + 1]->setFocus(Qt::TabFocusReason);
                    }
                    return true;
                }
    }
    return QDialog::eventFilter(watched, event);
}

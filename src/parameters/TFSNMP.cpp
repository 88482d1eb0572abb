#include "parameters/TFSNMP.h"

#include "common/ControlNames.h"
#include "common/DialogButtons.h"
#include "parameters/GeneralParameters.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFSNMP::TFSNMP(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("SNMP Community Name"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("SNMP Community Name"), this);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label2 = new QLabel(QStringLiteral("Public"), this);
    Label3 = new QLabel(QStringLiteral("Private"), this);
    Label4 = new QLabel(QStringLiteral("[Max. 13 Chars]"), this);
    Label5 = new QLabel(QStringLiteral("[Max. 13 Chars]"), this);
    Edit1 = new QLineEdit(this);
    Edit2 = new QLineEdit(this);
    for (QLineEdit* e : {Edit1, Edit2}) {
        e->setMaxLength(kSnmpNameLength);
        e->setMinimumWidth(150);
    }
    LbButton1 = new QPushButton(QStringLiteral("OK"), this);
    LbButton2 = new QPushButton(QStringLiteral("Cancel"), this);

    auto* grid = new QGridLayout;
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Label4, 0, 2);
    grid->addWidget(Label3, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(Label5, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(grid);
    layout->addWidget(OkCancelBox(this, LbButton1, LbButton2));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    NameControls({{Label1, "Label1"},
                  {Label2, "Label2"},
                  {Label3, "Label3"},
                  {Label4, "Label4"},
                  {Label5, "Label5"},
                  {Edit1, "Edit1"},
                  {Edit2, "Edit2"},
                  {LbButton1, "LbButton1"},
                  {LbButton2, "LbButton2"}});
    ApplyButtonKeys(this, LbButton1, LbButton2);

    connect(LbButton1, &QPushButton::clicked, this, &QDialog::accept);
    connect(LbButton2, &QPushButton::clicked, this, &QDialog::reject);
}

#include "editors/TFTableDialog.h"

#include "common/DialogButtons.h"
#include "common/Prompter.h"
#include "editors/TableEditor.h"
#include "project/Workspace.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

TFTableDialog::TFTableDialog(const QString& caption, const char* okName, const Workspace& ws,
                             Prompter& prompter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      ws_(ws), prompter_(prompter) {
    setWindowTitle(caption);
    setModal(true);
    setSizeGripEnabled(true);

    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pages"));
    okButton = new QPushButton(QStringLiteral("OK"), this);
    bitbtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    bitbtn4 = new QPushButton(QStringLiteral("Import"), this);
    button1 = new QPushButton(QStringLiteral("Export"), this);
    okButton->setObjectName(QString::fromLatin1(okName));
    bitbtn2->setObjectName(QStringLiteral("bitbtn2"));
    bitbtn4->setObjectName(QStringLiteral("bitbtn4"));
    button1->setObjectName(QStringLiteral("button1"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(button1, QDialogButtonBox::ActionRole);
    buttons->addButton(bitbtn4, QDialogButtonBox::ActionRole);
    buttons->addButton(okButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(bitbtn2, QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(buttons);

    // OK writes the whole table, so only its own click fires it: Enter belongs to the edits,
    // lists and grids. Escape is Cancel.
    ApplyButtonKeys(this, nullptr, bitbtn2);
    connect(okButton, &QPushButton::clicked, this, &TFTableDialog::BitBtn1Click);
    connect(bitbtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(bitbtn4, &QPushButton::clicked, this, &TFTableDialog::BitBtn4Click);
    connect(button1, &QPushButton::clicked, this, &TFTableDialog::Button1Click);
}

void TFTableDialog::showEvent(QShowEvent* event) {
    BuildPages();
    if (!event->spontaneous()) // a restore from minimised is no new opening
        FormShow();
    QDialog::showEvent(event);
}

void TFTableDialog::BuildPages() {
    // Taken out first: a fill that shows something must not fill its page twice.
    const auto unfilled = std::exchange(unfilled_, {});
    for (const auto& [page, fill] : unfilled)
        fill(page);
}

void TFTableDialog::FormShow() {
    BuildPages();
    editor().Show(ws_.ProjectFolder, prompter_);
    pages->setCurrentIndex(0);
    tableLoaded();
}

bool TFTableDialog::BitBtn1Click() {
    BuildPages();
    if (!editor().Ok(ws_.ProjectFolder, prompter_))
        return false;
    accept();
    return true;
}

void TFTableDialog::BitBtn4Click() {
    // The .xls filter comes first, so the chooser opens on it.
    const auto chosen = prompter_.chooseOpenFile(
        QStringLiteral("Open"), ws_.ProjectFolder,
        QStringLiteral("File EXCEL (*.xls);;Workbook (*.xlsx *.ods);;File CSV (*.csv)"));
    if (!chosen)
        return;
    BuildPages();
    editor().Import(*chosen, prompter_);
    tableLoaded();
}

void TFTableDialog::Button1Click() {
    editor().Export(ws_.ProjectFolder, prompter_);
}

void TFTableDialog::addPage(const QString& caption, std::function<void(QWidget*)> fill) {
    auto* page = new QWidget;
    pages->addTab(page, caption);
    unfilled_.emplace_back(page, std::move(fill));
}

void TFTableDialog::OnChosen(QListWidget* list, const bool& rendering,
                             const std::function<void()>& handler) {
    QObject::connect(list, &QListWidget::itemClicked, list, [&rendering, handler] {
        if (!rendering)
            handler();
    });
    // A press of the mouse moves the current row too; the click that follows handles it.
    QObject::connect(list, &QListWidget::currentRowChanged, list, [&rendering, handler] {
        if (!rendering && QApplication::mouseButtons() == Qt::NoButton)
            handler();
    });
}

QStringList TableDialogNames() {
    return {QStringLiteral("TFsdo"), QStringLiteral("TFpdo"), QStringLiteral("TFemcy"),
            QStringLiteral("TFWemcy"), QStringLiteral("TFInfopdo")};
}

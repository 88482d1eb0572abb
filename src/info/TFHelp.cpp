#include "info/TFHelp.h"

#include "common/ControlNames.h"
#include "common/DialogButtons.h"
#include "common/Prompter.h"
#include "info/HelpText.h"
#include "info/RichTextView.h"
#include "project/Workspace.h"

#include <QScreen>
#include <QShowEvent>
#include <QTextEdit>
#include <QVBoxLayout>

TFHelp::TFHelp(const Workspace& ws, Prompter& prompter, QWidget* parent)
    : QDialog(parent), ws_(ws), prompter_(prompter) {
    setWindowTitle(QStringLiteral("Help"));
    RichEdit1 = new QTextEdit(this);
    RichEdit1->setReadOnly(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(RichEdit1);
    resize(640, 480);
    NameControls({{RichEdit1, "RichEdit1"}});
    ApplyButtonKeys(this, nullptr, nullptr);
}

void TFHelp::FormShow() {
    const auto document = LoadHelpDocument(HelpFilePath(ws_.HelpFolder));
    if (!document) {
        RichEdit1->clear();
        prompter_.message(kHelpUnreadableMessage);
        return;
    }
    ShowHelpDocument(RichEdit1, *document);
}

void TFHelp::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    FormShow();
}

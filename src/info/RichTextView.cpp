#include "info/RichTextView.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

void ShowHelpDocument(QTextEdit* view, const HelpDocument& document) {
    if (!document.rich) {
        view->setPlainText(document.text);
        return;
    }
    view->setHtml(document.text);
    // "\bullet\tab text" under a hanging indent: the text lines up with the lines below it.
    for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        if (format.textIndent() >= 0 || format.leftMargin() <= 0)
            continue;
        format.setTabPositions({QTextOption::Tab(format.leftMargin(), QTextOption::LeftTab)});
        QTextCursor(block).setBlockFormat(format);
    }
}

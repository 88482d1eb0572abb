// Puts a help document into a text view, with the one rich-text layout rule HTML cannot carry:
// in a paragraph with a hanging first line, the first tab stops at the paragraph's indent.
#pragma once

#include "info/HelpText.h"

class QTextEdit;

void ShowHelpDocument(QTextEdit* view, const HelpDocument& document);

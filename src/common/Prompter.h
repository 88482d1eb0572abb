// Every message box, question and chooser the program shows goes through this interface,
// so the same code runs on screen, in the terminal companion and under tests.
#pragma once

#include <QString>

#include <optional>

class Prompter {
public:
    virtual ~Prompter() = default;

    // A modal box with the literal text and an OK button.
    virtual void message(const QString& text) = 0;
    // The same with the error symbol.
    virtual void error(const QString& text) = 0;
    // A Yes/No box; true for Yes.
    virtual bool question(const QString& title, const QString& text) = 0;
    // The general error report: a failure that ended a command, shown with its own text.
    virtual void errorReport(const QString& text) = 0;
    // A folder chooser rooted at `root` (nothing above it can be chosen); nullopt on Cancel.
    virtual std::optional<QString> chooseFolder(const QString& prompt, const QString& root,
                                                const QString& preselected) = 0;
    // A file-open chooser; `filter` uses Qt's "Text (*.ext)" form. nullopt on Cancel.
    virtual std::optional<QString> chooseOpenFile(const QString& title, const QString& folder,
                                                  const QString& filter) = 0;
};

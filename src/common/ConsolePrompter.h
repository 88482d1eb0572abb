// A Prompter for the terminal companion: every text goes to standard error, questions are
// answered No and choosers are cancelled, so nothing ever waits for a reply.
#pragma once

#include "common/Prompter.h"

class ConsolePrompter : public Prompter {
public:
    void message(const QString& text) override;
    void error(const QString& text) override;
    bool question(const QString& title, const QString& text) override;
    void errorReport(const QString& text) override;
    std::optional<QString> chooseFolder(const QString& prompt, const QString& root,
                                        const QString& preselected) override;
    std::optional<QString> chooseOpenFile(const QString& title, const QString& folder,
                                          const QString& filter) override;
    // How many texts were shown; the companion fails when any was.
    int shown = 0;
};

// The Prompter that shows real modal boxes and choosers on screen.
#pragma once

#include "common/Prompter.h"

class QtPrompter : public Prompter {
public:
    void message(const QString& text) override;
    void error(const QString& text) override;
    bool question(const QString& title, const QString& text) override;
    void errorReport(const QString& text) override;
    std::optional<QString> chooseFolder(const QString& prompt, const QString& root,
                                        const QString& preselected) override;
    std::optional<QString> chooseOpenFile(const QString& title, const QString& folder,
                                          const QString& filter) override;
};

// A Prompter that shows nothing: it records every text and answers from queued replies.
// Tests use it to assert the exact messages; it never blocks.
#pragma once

#include "common/Prompter.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <functional>
#include <optional>

class RecordingPrompter : public Prompter {
public:
    enum class Kind { Message, Error, Question, ErrorReport, ChooseFolder, ChooseFile };
    struct Entry {
        Kind kind;
        QString text;  // message text, question text, or chooser prompt/title
        QString extra; // question title, chooser root/folder
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    void message(const QString& text) override;
    void error(const QString& text) override;
    bool question(const QString& title, const QString& text) override;
    void errorReport(const QString& text) override;
    std::optional<QString> chooseFolder(const QString& prompt, const QString& root,
                                        const QString& preselected) override;
    std::optional<QString> chooseOpenFile(const QString& title, const QString& folder,
                                          const QString& filter) override;

    // Answers, consumed in order. A question without a queued answer is answered No,
    // a chooser without one is cancelled.
    QQueue<bool> questionAnswers;
    QQueue<std::optional<QString>> chooserAnswers;

    QList<Entry> entries;
    // The texts of every message, error box, question and error report, in order.
    QStringList texts() const;
    void clear() { entries.clear(); }
    // Called after each entry is recorded (tests use it to act while a modal box would be up).
    std::function<void(const Entry&)> onEntry;

private:
    void record(Kind kind, const QString& text, const QString& extra = {});
};

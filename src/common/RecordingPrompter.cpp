#include "common/RecordingPrompter.h"

void RecordingPrompter::record(Kind kind, const QString& text, const QString& extra) {
    entries.append({kind, text, extra});
    if (onEntry)
        onEntry(entries.last());
}

void RecordingPrompter::message(const QString& text) {
    record(Kind::Message, text);
}

void RecordingPrompter::error(const QString& text) {
    record(Kind::Error, text);
}

bool RecordingPrompter::question(const QString& title, const QString& text) {
    record(Kind::Question, text, title);
    return questionAnswers.isEmpty() ? false : questionAnswers.dequeue();
}

void RecordingPrompter::errorReport(const QString& text) {
    record(Kind::ErrorReport, text);
}

std::optional<QString> RecordingPrompter::chooseFolder(const QString& prompt, const QString& root,
                                                       const QString& preselected) {
    record(Kind::ChooseFolder, prompt, root + QLatin1Char('|') + preselected);
    return chooserAnswers.isEmpty() ? std::nullopt : chooserAnswers.dequeue();
}

std::optional<QString> RecordingPrompter::chooseOpenFile(const QString& title,
                                                         const QString& folder,
                                                         const QString& filter) {
    record(Kind::ChooseFile, title, folder + QLatin1Char('|') + filter);
    return chooserAnswers.isEmpty() ? std::nullopt : chooserAnswers.dequeue();
}

QStringList RecordingPrompter::texts() const {
    QStringList out;
    for (const Entry& e : entries)
        if (e.kind != Kind::ChooseFolder && e.kind != Kind::ChooseFile)
            out.append(e.text);
    return out;
}

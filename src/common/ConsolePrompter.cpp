#include "common/ConsolePrompter.h"

#include <cstdio>

namespace {
void put(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}
} // namespace

void ConsolePrompter::message(const QString& text) {
    ++shown;
    put(text);
}

void ConsolePrompter::error(const QString& text) {
    ++shown;
    put(text);
}

bool ConsolePrompter::question(const QString& title, const QString& text) {
    ++shown;
    put(title + QStringLiteral(": ") + text + QStringLiteral(" [answered No]"));
    return false;
}

void ConsolePrompter::errorReport(const QString& text) {
    ++shown;
    put(text);
}

std::optional<QString> ConsolePrompter::chooseFolder(const QString&, const QString&,
                                                     const QString&) {
    return std::nullopt;
}

std::optional<QString> ConsolePrompter::chooseOpenFile(const QString&, const QString&,
                                                       const QString&) {
    return std::nullopt;
}

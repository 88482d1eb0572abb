// Workbook readers built on libraries that read damaged files out of bounds run in a child
// process: whatever the file does to the library, the program gets the cells or a failure.
#pragma once

#include "editors/SheetCells.h"

#include <QByteArray>

#include <functional>
#include <optional>

// Runs in the child: the workbook's sheets, or why the file is not one.
using SheetsReader = std::function<Result<QList<SheetCells>>()>;

// The reader's answer. `stopped` is the failure when the child gives none (it crashed, ran
// out of memory or took longer than 30 s).
Result<QList<SheetCells>> ReadInChild(const SheetsReader& read, const QString& stopped);

// What a reader's child does first: its output goes nowhere and its faults end it without the
// parent's handlers or sanitizer callbacks.
void BecomeReaderChild();

// A reader's answer as the child sends it, and back; nullopt when the bytes are not a whole
// answer.
QByteArray SheetsAnswer(const Result<QList<SheetCells>>& read);
std::optional<Result<QList<SheetCells>>> SheetsFromAnswer(const QByteArray& answer);

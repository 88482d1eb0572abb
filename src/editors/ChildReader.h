// Workbook readers built on libraries that read damaged files out of bounds run in a child
// process: whatever the file does to the library, the program gets the cells or a failure.
#pragma once

#include "editors/SheetCells.h"

#include <functional>

// Runs in the child: the workbook's sheets, or why the file is not one.
using SheetsReader = std::function<Result<QList<SheetCells>>()>;

// The reader's answer. `stopped` is the failure when the child gives none (it crashed, ran
// out of memory or took longer than 30 s).
Result<QList<SheetCells>> ReadInChild(const SheetsReader& read, const QString& stopped);

// The CSV export of the table editors: every value followed by ",", lines ending in CR LF,
// nothing quoted or escaped. UTF-8, so no typed character is lost on the way out.
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

QByteArray CsvText(const std::vector<QStringList>& lines);

// Creates or replaces `path` atomically.
Result<> WriteCsvFile(const QString& path, const std::vector<QStringList>& lines);

// Whole-file reads and writes with the system's own failure text in the program's message
// forms. Writes are atomic: a failed write never leaves a half file, and a file is replaced
// only once every byte of its new content has reached the disk.
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

// Writes `bytes` to `path`, replacing the file. The failure is
// "Cannot create file "<path>". <the system's reason>".
Result<> WriteFileAtomically(const QString& path, const QByteArray& bytes);

// Replaces several files as one: all are written and synced first, and none is replaced
// unless all could be. Should a replacement fail midway, the files already replaced get
// their old content back (or are removed when they did not exist).
using FileContent = std::pair<QString, QByteArray>;
Result<> WriteFilesTogether(const QList<FileContent>& files);

// The whole content of a regular file (a FIFO, device or folder is refused rather than read,
// so nothing can block on it). The failure is "Cannot open file "<path>". <reason>".
Result<QByteArray> ReadRegularFile(const QString& path);
// Empty when `path` is a regular file that can be opened; otherwise the failure text.
QString CheckRegularFile(const QString& path);

// "Cannot create file "%s". %s" and "Cannot open file "%s". %s", with the path in the
// platform's separators.
QString CannotCreateMessage(const QString& path, const QString& reason);
QString CannotOpenMessage(const QString& path, const QString& reason);

// Joins a folder and a name with the platform's separator.
QString JoinPath(const QString& folder, const QString& name);

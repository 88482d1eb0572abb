// Whole-file writes that are atomic (a failed write never leaves a half file) and return
// the system's own failure text in the program's message forms.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Writes `bytes` to `path`, replacing the file. nullopt on success, otherwise
// "Cannot create file "<path>". <reason>".
std::optional<QString> WriteFileAtomically(const QString& path, const QByteArray& bytes);

// "Cannot create file "%s". %s" and "Cannot open file "%s". %s", with the path in the
// platform's separators.
QString CannotCreateMessage(const QString& path, const QString& reason);
QString CannotOpenMessage(const QString& path, const QString& reason);

// Joins a folder and a name with the platform's separator.
QString JoinPath(const QString& folder, const QString& name);

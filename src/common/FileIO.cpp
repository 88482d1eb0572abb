#include "common/FileIO.h"

#include <QDir>
#include <QSaveFile>

std::optional<QString> WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return CannotCreateMessage(path, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return CannotCreateMessage(path, reason);
    }
    if (!file.commit())
        return CannotCreateMessage(path, file.errorString());
    return std::nullopt;
}

QString CannotCreateMessage(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot create file \"%1\". %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString CannotOpenMessage(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot open file \"%1\". %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QDir::separator()))
        return folder + name;
    return folder + QDir::separator() + name;
}

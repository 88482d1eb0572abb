#include "parameters/NewProjectFiles.h"

#include "common/FileIO.h"
#include "parameters/GeneralParameters.h"
#include "parameters/TranslateTable.h"

#include <QDir>
#include <QFileInfo>

std::optional<QString> CreateProjectFolder(const QString& folder) {
    if (QFileInfo(folder).isDir())
        return QStringLiteral("Name project not valid because directory already exists");
    const QString shown = QDir::toNativeSeparators(folder);
    if (!QDir().mkdir(folder))
        return QStringLiteral("Cannot create folder \"%1\".").arg(shown);
    const QString bin = JoinPath(folder, QStringLiteral("bin"));
    if (!QDir().mkpath(bin))
        return QStringLiteral("Cannot create folder \"%1\".").arg(QDir::toNativeSeparators(bin));
    return std::nullopt;
}

Result<> WriteNewProjectFiles(const QString& pargenPath, const QString& varPath) {
    if (Result<> saved = SaveParameters(WriteParameterDefaults(), pargenPath); !saved)
        return saved;
    return SaveTranslateFile({}, varPath);
}

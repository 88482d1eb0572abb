#include "project/ProjectFolder.h"

#include "project/ProjectLayout.h"

#include <QDir>
#include <QFileInfo>

ProjectFolderError MakeProjectFolder(const QString& folder) {
    if (QFileInfo(folder).isDir())
        return ProjectFolderError::Exists;
    if (!QDir().mkdir(folder))
        return ProjectFolderError::FolderNotMade;
    if (!QDir().mkpath(ProjectLayout::BinFolder(folder)))
        return ProjectFolderError::BinNotMade;
    return ProjectFolderError::None;
}

QString ProjectFolderMessage(ProjectFolderError error, const QString& folder) {
    switch (error) {
    case ProjectFolderError::None:
        return {};
    case ProjectFolderError::Exists:
        return QStringLiteral("Name project not valid because directory already exists");
    case ProjectFolderError::FolderNotMade:
        return QStringLiteral("Cannot create folder \"%1\".").arg(QDir::toNativeSeparators(folder));
    case ProjectFolderError::BinNotMade:
        return QStringLiteral("Cannot create folder \"%1\".")
            .arg(QDir::toNativeSeparators(ProjectLayout::BinFolder(folder)));
    }
    return {};
}

Result<> CreateProjectFolder(const QString& folder) {
    const ProjectFolderError error = MakeProjectFolder(folder);
    if (error != ProjectFolderError::None)
        return Fail(ProjectFolderMessage(error, folder));
    return Ok();
}

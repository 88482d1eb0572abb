#include "shell/Workspace.h"

#include "common/FileIO.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kSection = QStringLiteral("lastproj");
const QString kKey = QStringLiteral("projectname");

// A value stored on Windows carries "\" separators; make it ours.
QString toPlatformSeparators(QString path) {
    path.replace(QLatin1Char('\\'), QDir::separator());
    path.replace(QLatin1Char('/'), QDir::separator());
    return path;
}

// QSettings drops a lone "\" before a letter as an unknown escape, so a value written by the
// Windows program (projectname=\Plant1) is read from the raw line; values that QSettings
// itself wrote (escaped "\\" or quoted) come out the same either way.
QString readStoredProjectName(const QString& iniPath) {
    QSettings settings(iniPath, QSettings::IniFormat);
    const QString viaSettings =
        settings.value(kSection + QLatin1Char('/') + kKey, QString()).toString();
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly))
        return viaSettings;
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromLocal8Bit(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line.compare(QLatin1Char('[') + kSection + QLatin1Char(']'),
                                     Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inSection || eq < 0 || line.left(eq).trimmed().compare(kKey, Qt::CaseInsensitive) != 0)
            continue;
        QString raw = line.mid(eq + 1).trimmed();
        if (!raw.contains(QLatin1Char('\\')))
            return viaSettings;
        if (raw.size() >= 2 && raw.startsWith(QLatin1Char('"')) && raw.endsWith(QLatin1Char('"')))
            raw = raw.mid(1, raw.size() - 2);
        raw.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        return raw;
    }
    return viaSettings;
}

void ensureFolder(const QString& path) {
    if (!QFileInfo(path).isDir())
        QDir().mkdir(path); // one level; a failure shows later where the folder is needed
}

} // namespace

QString DefaultProgramFolder() {
    const QString overridden = qEnvironmentVariable("QUENZOR_PROGRAM_DIR");
    QString folder = overridden.isEmpty() ? QCoreApplication::applicationDirPath() : overridden;
    folder = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    while (folder.size() > 1 && folder.endsWith(QDir::separator()))
        folder.chop(1);
    return folder;
}

bool InitWorkspace(Workspace& ws, const QString& programFolder) {
    // A copy first: the caller may pass one of the record's own fields.
    const QString folder = programFolder;
    ws = Workspace{};
    ws.ProgramFolder = folder;
    while (ws.ProgramFolder.size() > 1 && ws.ProgramFolder.endsWith(QDir::separator()))
        ws.ProgramFolder.chop(1);
    ws.MasterFolder = JoinPath(ws.ProgramFolder, QStringLiteral("MASTER"));
    ensureFolder(ws.MasterFolder);
    ws.ProjectsFolder = JoinPath(ws.ProgramFolder, QStringLiteral("PROJECTS"));
    ensureFolder(ws.ProjectsFolder);

    ws.ProjectName = toPlatformSeparators(readStoredProjectName(SettingsPath(ws)));
    if (!ws.ProjectName.isEmpty() && !ws.ProjectName.startsWith(QDir::separator()))
        ws.ProjectName.prepend(QDir::separator());

    bool reopened = false;
    if (!ws.ProjectName.isEmpty() && QFileInfo(ws.ProjectsFolder + ws.ProjectName).isDir()) {
        ws.ProjectFolder = ws.ProjectsFolder + ws.ProjectName;
        reopened = true;
    } else {
        ws.ProjectFolder = ws.ProjectsFolder;
    }
    RefreshProjectPaths(ws);
    return reopened;
}

void RefreshProjectPaths(Workspace& ws) {
    ws.PargenPath = JoinPath(ws.ProjectFolder, QStringLiteral("pargen.xml"));
    ws.VarPath = JoinPath(ws.ProjectFolder, QStringLiteral("var.xml"));
}

bool SaveLastProject(const Workspace& ws) {
    QSettings settings(SettingsPath(ws), QSettings::IniFormat);
    settings.setValue(kSection + QLatin1Char('/') + kKey, ws.ProjectName);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString SettingsPath(const Workspace& ws) {
    return JoinPath(ws.ProgramFolder, QStringLiteral("Quenzor.ini"));
}

#include "project/Workspace.h"

#include "common/Ansi.h"
#include "common/FileIO.h"
#include "project/ProjectLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

namespace {

const QString kSection = QStringLiteral("lastproj");
const QString kKey = QStringLiteral("projectname");

// A value stored on Windows carries "\" separators; make it ours. A project path has no
// empty part, so doubled separators (an escaped "\\" of earlier versions) are one.
QString toPlatformSeparators(QString path) {
    path.replace(QLatin1Char('\\'), QDir::separator());
    path.replace(QLatin1Char('/'), QDir::separator());
    const QString doubled(2, QDir::separator());
    while (path.contains(doubled))
        path.replace(doubled, QString(QDir::separator()));
    return path;
}

// The settings file is read and written line by line, the value verbatim as the Windows
// profile functions keep it: no escapes, "," and ";" are plain characters, and only a pair of
// double quotes around the whole value is taken off (so blanks at its ends can be kept).
QStringList settingsLines(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = FromAnsi(bytes); // written on Windows in its code page
    text.remove(QLatin1Char('\r'));
    return text.split(QLatin1Char('\n'));
}

QStringList settingsLines(const QString& iniPath) {
    const Result<QByteArray> bytes = ReadRegularFile(iniPath);
    return bytes ? settingsLines(*bytes) : QStringList();
}

bool isSectionLine(const QString& line, QString* name = nullptr) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

bool isKeyLine(const QString& line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq >= 0 && line.left(eq).trimmed().compare(kKey, Qt::CaseInsensitive) == 0;
}

QString readStoredProjectName(const QString& iniPath) {
    bool inSection = false;
    for (const QString& line : settingsLines(iniPath)) {
        QString section;
        if (isSectionLine(line, &section)) {
            inSection = section.compare(kSection, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection || !isKeyLine(line))
            continue;
        QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) &&
            value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}

QString storedForm(const QString& value) {
    const bool quoted =
        value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'));
    if (quoted || value != value.trimmed())
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

void ensureFolder(const QString& path) {
    if (!QFileInfo(path).isDir())
        QDir().mkdir(path); // one level; a failure shows later where the folder is needed
}

} // namespace

namespace {

QString withoutTrailingSeparator(QString folder) {
    while (folder.size() > 1 && folder.endsWith(QDir::separator()))
        folder.chop(1);
    return folder;
}

QString nativeAbsolute(const QString& folder) {
    return withoutTrailingSeparator(
        QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(folder).absoluteFilePath())));
}

// An installed program has its companions in the install's own folders, named relative to
// the executable at build time; a build tree has none of them.
bool isInstalled() {
#ifdef QUENZOR_INSTALL_DATA_DIR
    return QFileInfo(QDir(QCoreApplication::applicationDirPath())
                         .filePath(QStringLiteral(QUENZOR_INSTALL_DATA_DIR)))
        .isDir();
#else
    return false;
#endif
}

// A build tree keeps today's layout beside the executable; an installed program (whose
// folder is shared and usually read-only) keeps the user's files in the user's data folder.
bool useExecutableFolder() {
    return !isInstalled() && QFileInfo(QCoreApplication::applicationDirPath()).isWritable();
}

} // namespace

QString DefaultProgramFolder() {
    const QString overridden = qEnvironmentVariable("QUENZOR_PROGRAM_DIR");
    if (!overridden.isEmpty())
        return nativeAbsolute(overridden);
    if (useExecutableFolder())
        return nativeAbsolute(QCoreApplication::applicationDirPath());
    // Not AppDataLocation: the window and the companion carry different application names
    // and must share one folder.
    return nativeAbsolute(
        JoinPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                 QStringLiteral("quenzor")));
}

InstalledFiles DefaultInstalledFiles() {
    InstalledFiles files;
#if defined(QUENZOR_INSTALL_DATA_DIR) && defined(QUENZOR_INSTALL_LIBEXEC_DIR)
    if (isInstalled()) {
        const QDir exe(QCoreApplication::applicationDirPath());
        files.flasherFolder =
            nativeAbsolute(exe.filePath(QStringLiteral(QUENZOR_INSTALL_LIBEXEC_DIR)));
        files.helpFolder = nativeAbsolute(exe.filePath(QStringLiteral(QUENZOR_INSTALL_DATA_DIR)));
        files.sampleMasterFolder = ProjectLayout::MasterFolder(files.helpFolder);
    }
#endif
    return files;
}

Workspace BuildWorkspace(const QString& programFolder, const InstalledFiles& installed) {
    Workspace ws;
    ws.ProgramFolder = withoutTrailingSeparator(programFolder);
    ws.MasterFolder = ProjectLayout::MasterFolder(ws.ProgramFolder);
    ws.ProjectsFolder = ProjectLayout::ProjectsFolder(ws.ProgramFolder);
    ws.ProjectFolder = ws.ProjectsFolder;
    ws.FlasherFolder =
        installed.flasherFolder.isEmpty() ? ws.ProgramFolder : installed.flasherFolder;
    ws.HelpFolder = installed.helpFolder.isEmpty() ? ws.ProgramFolder : installed.helpFolder;
    RefreshProjectPaths(ws);
    return ws;
}

bool InitWorkspace(Workspace& ws, const QString& programFolder, const InstalledFiles& installed) {
    // A copy first: the caller may pass one of the record's own fields.
    const QString folder = programFolder;
    ws = BuildWorkspace(folder, installed);
    SeedMasterFolder(ws, installed);
    ensureFolder(ws.MasterFolder);
    ensureFolder(ws.ProjectsFolder);

    ws.ProjectName = toPlatformSeparators(readStoredProjectName(SettingsPath(ws)));
    if (!ws.ProjectName.isEmpty() && !ws.ProjectName.startsWith(QDir::separator()))
        ws.ProjectName.prepend(QDir::separator());

    bool reopened = false;
    if (!ws.ProjectName.isEmpty() && QFileInfo(ws.ProjectsFolder + ws.ProjectName).isDir()) {
        ws.ProjectFolder = ws.ProjectsFolder + ws.ProjectName;
        reopened = true;
    }
    RefreshProjectPaths(ws);
    return reopened;
}

void SeedMasterFolder(const Workspace& ws, const InstalledFiles& installed) {
    if (installed.sampleMasterFolder.isEmpty() || QFileInfo::exists(ws.MasterFolder))
        return;
    // The user's data folder may not exist yet; MASTER gets the sample once, and a firmware
    // the user puts there later is never overwritten.
    QDir().mkpath(ws.MasterFolder);
    const QDir sample(installed.sampleMasterFolder);
    for (const QString& name : sample.entryList(QDir::Files))
        QFile::copy(sample.filePath(name), JoinPath(ws.MasterFolder, name));
}

void RefreshProjectPaths(Workspace& ws) {
    ws.PargenPath = ProjectLayout::PargenPath(ws.ProjectFolder);
    ws.VarPath = ProjectLayout::VarPath(ws.ProjectFolder);
}

Result<> SaveLastProject(const Workspace& ws) {
    const QString path = SettingsPath(ws);
    if (ws.ProjectName.contains(QLatin1Char('\n')) || ws.ProjectName.contains(QLatin1Char('\r')))
        return Fail(CannotCreateMessage(path, QStringLiteral("A project name with a line break "
                                                             "cannot be stored.")));
    // Everything else in the file stays as it was.
    const Result<QByteArray> stored = ReadRegularFile(path);
    QStringList lines = stored ? settingsLines(*stored) : QStringList();
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    const QString entry = kKey + QLatin1Char('=') + storedForm(ws.ProjectName);
    qsizetype sectionAt = -1;
    qsizetype keyAt = -1;
    qsizetype sectionEnd = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString section;
        if (isSectionLine(lines[i], &section)) {
            if (sectionAt >= 0 && sectionEnd == lines.size())
                sectionEnd = i;
            if (sectionAt < 0 && section.compare(kSection, Qt::CaseInsensitive) == 0)
                sectionAt = i;
            continue;
        }
        if (sectionAt >= 0 && sectionEnd == lines.size() && keyAt < 0 && isKeyLine(lines[i]))
            keyAt = i;
    }
    if (keyAt >= 0)
        lines[keyAt] = entry;
    else if (sectionAt >= 0)
        lines.insert(sectionEnd, entry);
    else
        lines << QLatin1Char('[') + kSection + QLatin1Char(']') << entry;
    const QByteArray content =
        (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    // A file that already says this is left alone: rewriting it would only wait for the disk.
    if (stored && *stored == content)
        return Ok();
    return WriteFileAtomically(path, content);
}

QString SettingsPath(const Workspace& ws) {
    return ProjectLayout::SettingsPath(ws.ProgramFolder);
}

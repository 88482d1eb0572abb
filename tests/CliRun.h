// Runs the built quenzor-cli as a user would, with a reproducible clock, and what it printed.
#pragma once

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <functional>

struct CliRun {
    int status = -1; // -1 when it did not exit normally in time
    QString out;
    QString err;
};

// `inChild` runs in the child before the program starts (limits, signals).
inline CliRun runCli(const QStringList& args, const QProcessEnvironment& extra = {},
                     const std::function<void()>& inChild = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SOURCE_DATE_EPOCH", "1796740527");
    env.insert("TZ", "UTC0");
    env.insert(extra);
    p.setProcessEnvironment(env);
    if (inChild)
        p.setChildProcessModifier(inChild);
    p.start(QStringLiteral(QUENZOR_PROGRAM_DIR "/quenzor-cli"), args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

// Every file below `root` with its bytes, so a test can show that a failure left a folder
// exactly as it was: nothing created, replaced or truncated.
inline QMap<QString, QByteArray> folderSnapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        const QString key = path.mid(root.size());
        const QFileInfo info = it.fileInfo();
        // A FIFO would block the reader; its presence is what counts.
        if (info.isDir())
            files[key] = "<dir>";
        else if (!info.isFile())
            files[key] = "<special>";
        else
            files[key] = f.open(QIODevice::ReadOnly) ? f.readAll() : "<unreadable>";
    }
    return files;
}

// Saves that survive a kill: a child rewrites every kind of project file in a loop through the
// program's own save functions and is killed with SIGKILL at a random moment; each file must
// then be either its old or its complete new content, never absent, truncated or mixed.
#include "FirmwareTestData.h"

#include "common/FileIO.h"
#include "common/RecordingPrompter.h"
#include "firmware/FirmwarePatcher.h"
#include "image/ImageWriters.h"
#include "parameters/GeneralParameters.h"
#include "parameters/TranslateTable.h"
#include "project/ProjectLayout.h"
#include "project/XmlDocument.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kFirmware = QStringLiteral("New_sx93051.sx");

// Version 0 or 1 of every file, each written by the function the dialogs and the CLI use.
bool writeVersion(const QString& project, const QString& base, int version) {
    GeneralParameters values = WriteParameterDefaults();
    values.ip[3] = QString::number(10 + version);
    values.snmpPublic = version ? QStringLiteral("second") : QStringLiteral("first");
    const QString pargen = ProjectLayout::PargenPath(project);
    if (!SaveParameters(values, pargen).ok())
        return false;
    QList<TMyRec> rows;
    for (int i = 0; i < 50 + 100 * version; ++i)
        rows.append(TMyRec{3, std::uint16_t(i * 10), 1, std::uint16_t(i), 10,
                           QStringLiteral("m%1").arg(i)});
    if (!SaveTranslateFile(rows, ProjectLayout::VarPath(project)).ok())
        return false;
    QDomDocument table;
    QDomElement root = table.createElement(QStringLiteral("sdo"));
    table.appendChild(root);
    for (int i = 0; i < 200 + 300 * version; ++i) {
        QDomElement row = table.createElement(QStringLiteral("row"));
        row.setAttribute(QStringLiteral("index"), i);
        root.appendChild(row);
    }
    if (!SaveXmlFile(table, ProjectLayout::TablePath(project, TableFile::Sdo)).ok())
        return false;
    ConfigImage image;
    const auto clock = [version] {
        return CompositionStamp(QDateTime(QDate(2026, 12, 9), QTime(12, version)));
    };
    if (!ComposeAndSaveImage(image, pargen, project, clock).ok())
        return false;
    RecordingPrompter prompter;
    NoPatchProgress progress;
    return PatchFirmwareBank(1, false, base, kFirmware, ProjectLayout::BinFolder(project), project,
                             progress, prompter) == 1;
}

QStringList files(const QString& project) {
    return {ProjectLayout::PargenPath(project),
            ProjectLayout::VarPath(project),
            ProjectLayout::TablePath(project, TableFile::Sdo),
            ProjectLayout::BankImagePath(project),
            ProjectLayout::BankSourcePath(project),
            JoinPath(project, kFirmware)};
}

} // namespace

class TestCrashSafe : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedSavesLeaveOldOrNew();
};

void TestCrashSafe::killedSavesLeaveOldOrNew() {
    QTemporaryDir dir;
    const QString base = dir.filePath("sx93051.sx");
    QVERIFY(testdata::writeFile(base, testdata::crlfText(testdata::sampleBase())));
    // The two versions of every file, made once in folders of their own.
    QList<QList<QByteArray>> versions;
    for (int v = 0; v < 2; ++v) {
        const QString reference = dir.filePath(QStringLiteral("ref%1").arg(v));
        QDir().mkpath(ProjectLayout::BinFolder(reference));
        QVERIFY(writeVersion(reference, base, v));
        QList<QByteArray> contents;
        for (const QString& f : files(reference))
            contents.append(testdata::readFile(f));
        versions.append(contents);
    }
    for (int i = 0; i < versions[0].size(); ++i)
        QVERIFY2(versions[0][i] != versions[1][i], "the two versions must differ");

    const QString project = dir.filePath("P");
    QDir().mkpath(ProjectLayout::BinFolder(project));
    // A kill must be able to land anywhere in a rewrite, however long the disk takes to sync
    // (from well under a millisecond per file to tens of milliseconds on virtual disks).
    QElapsedTimer clock;
    clock.start();
    QVERIFY(writeVersion(project, base, 0));
    const int rewriteMicroseconds =
        int(std::clamp<qint64>(clock.nsecsElapsed() / 1000, 8000, 50000));

    QRandomGenerator random(20261209);
    clock.start();
    int trials = 0;
    int seenNew = 0;
    while (trials < 1000 && clock.elapsed() < 150000) {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            for (int v = 1;; v ^= 1)
                writeVersion(project, base, v);
        }
        usleep(random.bounded(200, rewriteMicroseconds));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ++trials;
        const QStringList paths = files(project);
        for (int i = 0; i < paths.size(); ++i) {
            const QByteArray now = testdata::readFile(paths[i]);
            QVERIFY2(now == versions[0][i] || now == versions[1][i],
                     qPrintable(QStringLiteral("trial %1: %2 is neither old nor new (%3 bytes)")
                                    .arg(trials)
                                    .arg(paths[i])
                                    .arg(now.size())));
            seenNew += now == versions[1][i];
        }
    }
    qInfo("%d kills, %d files found in their new content (one rewrite took %d us)", trials, seenNew,
          rewriteMicroseconds);
    QVERIFY(trials >= 1000);
    QVERIFY2(seenNew > 0, "the kills must land while the files are being rewritten");
}

QTEST_GUILESS_MAIN(TestCrashSafe)
#include "test_crashsafe.moc"

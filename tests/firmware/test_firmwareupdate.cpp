#include "common/RecordingPrompter.h"
#include "firmware/FirmwareUpdate.h"

#include "RecordingLauncher.h"
#include "UpdateFixture.h"

#include <QTest>

using namespace testdata;

class TestFirmwareUpdate : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void prepareNames();
    void baseFirmwareMissing();
    void outputFolderKeepsOneSeparator();
    void binFolderKeptAcrossProjects();
    void updateStartsTheFlasher();
    void flasherNotStarted_data();
    void flasherNotStarted();
    void flasherAloneNeedsThisOpeningsPatch();
    void perBankNamesRemoved();
    void twiceRepatchesAndRelaunches();
    void chosenFirmwareIsReadWhereItWasChosen();
};

void TestFirmwareUpdate::prepareNames() {
    UpdateFixture f;
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    FirmwareUpdate update(f.ws, prompter, launcher);
    QVERIFY(update.prepare());
    QVERIFY(prompter.entries.isEmpty());
    QCOMPARE(update.firmwareName(), QString("sx93051.sx"));
    QCOMPARE(update.newFileName(), QString("New_sx93051.sx"));
    QCOMPARE(update.outputFolder(), f.ws.ProjectFolder + QDir::separator());
    QCOMPARE(update.binFolder(),
             f.ws.ProjectFolder + QDir::separator() + "bin" + QDir::separator());
    QCOMPARE(update.workingFolder(), f.ws.MasterFolder);
    QCOMPARE(update.newFirmwarePath(), f.newFirmware());
}

void TestFirmwareUpdate::baseFirmwareMissing() {
    UpdateFixture f;
    QVERIFY(QFile::remove(f.ws.MasterFolder + "/sx93051.sx"));
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    FirmwareUpdate update(f.ws, prompter, launcher);
    // Every opening says so again.
    QVERIFY(!update.prepare());
    QVERIFY(!update.prepare());
    QCOMPARE(prompter.entries.size(), 2);
    for (const auto& e : prompter.entries) {
        QCOMPARE(e.kind, RecordingPrompter::Kind::Error);
        QCOMPARE(e.text, QString("Error file sx93051.sx not found"));
    }
}

void TestFirmwareUpdate::outputFolderKeepsOneSeparator() {
    UpdateFixture f;
    f.ws.ProjectFolder += QDir::separator();
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    FirmwareUpdate update(f.ws, prompter, launcher);
    QVERIFY(update.prepare());
    QCOMPARE(update.outputFolder(), f.ws.ProjectFolder);
    QVERIFY(!update.newFirmwarePath().contains(QString(2, QDir::separator())));
}

void TestFirmwareUpdate::binFolderKeptAcrossProjects() {
    UpdateFixture f;
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    FirmwareUpdate update(f.ws, prompter, launcher);
    QVERIFY(update.prepare());
    const QString firstBin = update.binFolder();
    QVERIFY(QDir(f.ws.ProjectsFolder).mkdir("P2"));
    f.openProject("P2");
    QVERIFY(update.prepare());
    QCOMPARE(update.binFolder(), firstBin);
    QCOMPARE(update.outputFolder(), f.ws.ProjectFolder + QDir::separator());
}

void TestFirmwareUpdate::updateStartsTheFlasher() {
    UpdateFixture f;
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    FirmwareUpdate update(f.ws, prompter, launcher);
    QVERIFY(update.prepare());
    NoPatchProgress progress;
    QVERIFY(update.execute(2, progress));
    QVERIFY(prompter.entries.isEmpty());
    QCOMPARE(readFile(f.newFirmware()), f.expectedNewFirmware());
    QCOMPARE(launcher.starts.size(), 1);
    QCOMPARE(launcher.starts[0].program, f.ws.ProgramFolder + QDir::separator() + "VidodIzuze.exe");
    QCOMPARE(launcher.starts[0].parameter, '"' + QFile::encodeName(f.newFirmware()) +
                                               "\"\xB6"
                                               "2");
    QCOMPARE(launcher.starts[0].workingFolder, f.ws.MasterFolder);
}

void TestFirmwareUpdate::flasherNotStarted_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("bank file missing")
        << "bank" << QStringList{"File bank1.bin Not Found,Abort Procedure"};
    QTest::newRow("bin folder missing")
        << "bin" << QStringList{"Directory Bin Not Found,Abort Procedure"};
    QTest::newRow("no bank window")
        << "window"
        << QStringList{"Bank 1 Not Found in sx93051.sx: Configuration not "
                       "placed,Abort Procedure"};
    QTest::newRow("no S9 record") << "s9"
                                  << QStringList{"No S9 record in sx93051.sx: New Firmware not "
                                                 "complete,Abort Procedure"};
    QTest::newRow("merge error") << "merge"
                                 << QStringList{"File New Sx Not Create,Abort Procedure"};
    QTest::newRow("flasher missing")
        << "flasher" << QStringList{"VidodIzuze.exe Not Found, Procedure Aborted"};
    QTest::newRow("start fails") << "start"
                                 << QStringList{"VidodIzuze.exe Not Started, Procedure Aborted. "
                                                "Permission denied"};
}

void TestFirmwareUpdate::flasherNotStarted() {
    QFETCH(QString, fault);
    QFETCH(QStringList, texts);
    UpdateFixture f;
    // A new firmware from an earlier run is there: it must never be flashed instead.
    QVERIFY(writeFile(f.newFirmware(), "earlier run"));
    QByteArrayList base = sampleBase();
    if (fault == "bank")
        QVERIFY(QFile::remove(f.binFile()));
    if (fault == "bin")
        QVERIFY(QDir(f.ws.ProjectFolder + "/bin").removeRecursively());
    if (fault == "window")
        base.removeIf([](const QByteArray& l) {
            const uint address = l.mid(4, 6).toUInt(nullptr, 16);
            return l.startsWith("S2") && address >= 0x388000 && address <= 0x38BFFF;
        });
    if (fault == "s9")
        base.removeLast();
    if (fault == "merge")
        base.insert(3, QByteArray());
    QVERIFY(writeFile(f.ws.MasterFolder + "/sx93051.sx", crlfText(base)));
    if (fault == "flasher")
        QVERIFY(QFile::remove(f.ws.ProgramFolder + "/VidodIzuze.exe"));
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    if (fault == "start")
        launcher.failure = "Permission denied";
    FirmwareUpdate update(f.ws, prompter, launcher);
    QVERIFY(update.prepare());
    NoPatchProgress progress;
    QVERIFY(!update.execute(0, progress));
    QCOMPARE(prompter.texts(), texts);
    QCOMPARE(launcher.starts.size(), fault == "start" ? 1 : 0);
    if (fault == "merge" || fault == "bank" || fault == "bin")
        QCOMPARE(readFile(f.newFirmware()), QByteArray("earlier run"));
}

void TestFirmwareUpdate::flasherAloneNeedsThisOpeningsPatch() {
    UpdateFixture f;
    QVERIFY(writeFile(f.newFirmware(), "earlier run"));
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    FirmwareUpdate update(f.ws, prompter, launcher);
    QVERIFY(update.prepare());
    QVERIFY(!update.startFlasher(0));
    QCOMPARE(prompter.texts(), QStringList{"Firmware not patched with Bank 1, Procedure Aborted"});
    NoPatchProgress progress;
    QCOMPARE(update.patch(progress), 1);
    QVERIFY(update.startFlasher(0));
    QCOMPARE(launcher.starts.size(), 1);
    // The next opening starts afresh.
    QVERIFY(update.prepare());
    QVERIFY(!update.startFlasher(0));
    QCOMPARE(launcher.starts.size(), 1);
}

void TestFirmwareUpdate::perBankNamesRemoved() {
    UpdateFixture f;
    for (int bank = 1; bank <= 6; ++bank)
        QVERIFY(writeFile(f.ws.ProjectFolder + QString("/\u00B0B%1\u00B0.sx").arg(bank), "x"));
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    FirmwareUpdate update(f.ws, prompter, launcher);
    QVERIFY(update.prepare());
    NoPatchProgress progress;
    update.patch(progress);
    QCOMPARE(QDir(f.ws.ProjectFolder).entryList({QString::fromUtf8("°B*")}, QDir::Files),
             QStringList{QString::fromUtf8("°B6°.sx")});
}

void TestFirmwareUpdate::twiceRepatchesAndRelaunches() {
    UpdateFixture f;
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    FirmwareUpdate update(f.ws, prompter, launcher);
    QVERIFY(update.prepare());
    NoPatchProgress progress;
    QVERIFY(update.execute(0, progress));
    f.image = bankImage(9);
    QVERIFY(writeFile(f.binFile(), f.image));
    QVERIFY(update.execute(1, progress));
    QCOMPARE(launcher.starts.size(), 2);
    QVERIFY(launcher.starts[1].parameter.endsWith("\xB6"
                                                  "1"));
    QCOMPARE(readFile(f.newFirmware()), f.expectedNewFirmware());
}

void TestFirmwareUpdate::chosenFirmwareIsReadWhereItWasChosen() {
    UpdateFixture f;
    const QString other = f.dir.filePath("other.sx");
    QVERIFY(writeFile(other, crlfText({s2(0x388000), "S9030000FC"})));
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    FirmwareUpdate update(f.ws, prompter, launcher);
    QVERIFY(update.prepare());
    update.chooseFirmware(other);
    QCOMPARE(update.newFileName(), QString("New_other.sx"));
    NoPatchProgress progress;
    QVERIFY(update.execute(0, progress));
    QCOMPARE(readFile(f.ws.ProjectFolder + "/New_other.sx"),
             crlfText(bankRecords(f.image) + QByteArrayList{"S9030000FC"}));
}

QTEST_GUILESS_MAIN(TestFirmwareUpdate)
#include "test_firmwareupdate.moc"

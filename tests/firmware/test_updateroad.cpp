// The update road as a field engineer meets it: the titles and window buttons of every window,
// the flasher watched to its end (one at a time), an honest progress bar, and Update Device
// without a project.
#include "MainWindowFixture.h"
#include "UpdateFixture.h"

#include "common/RecordingPrompter.h"
#include "firmware/TFModifyFileSx.h"
#include "shell/TFQuenzoreFirmWare.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

class TestUpdateRoad : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void titlesAndWindowButtons_data();
    void titlesAndWindowButtons();
    void flasherWatchedToItsEnd();
    void progressAfterFailure_data();
    void progressAfterFailure();
    void updateWithoutProject();
    void textsReadable();
    void checkedBeforeComposing_data();
    void checkedBeforeComposing();
    void confirmationSaysWhenFileDiffers();
};

void TestUpdateRoad::titlesAndWindowButtons_data() {
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("systemButtons");
    QTest::newRow("TFsaveproj") << "TFsaveproj"
                                << "New project" << false;
    QTest::newRow("TFHelp") << "TFHelp"
                            << "Help" << true;
    QTest::newRow("TFAbout") << "TFAbout"
                             << "About..." << true;
    QTest::newRow("TFSELstringhe") << "TFSELstringhe"
                                   << "Select String" << true;
    QTest::newRow("TFModifyFileSx") << "TFModifyFileSx"
                                    << "Generate Firmware" << false;
    QTest::newRow("TFpargen") << "TFpargen"
                              << "General Parameter" << true;
    QTest::newRow("TFsdo") << "TFsdo"
                           << "Set SDO Access" << true;
    QTest::newRow("TFpdo") << "TFpdo"
                           << "Define Traslate PDO" << true;
    QTest::newRow("TFXML") << "TFXML"
                           << "XML Reader & Writer" << true;
    QTest::newRow("TFSetVar") << "TFSetVar"
                              << "Set Translate Table" << true;
    QTest::newRow("TFSNMP") << "TFSNMP"
                            << "SNMP Community Name" << true;
    QTest::newRow("TFPing") << "TFPing"
                            << "Ping!" << true;
}

void TestUpdateRoad::titlesAndWindowButtons() {
    QFETCH(QString, className);
    QFETCH(QString, title);
    QFETCH(bool, systemButtons);
    MainWindowFixture f;
    f.start();
    // The main window has none either; its title is the product's with the project.
    QVERIFY(!(f.window->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)));
    QCOMPARE(f.window->windowTitle(), QString("Velmara Quenzor SW93051 TCP2Korvane"));
    QDialog* d = f.window->DialogOfClass(className);
    QVERIFY2(d, qPrintable(className));
    QCOMPARE(d->windowTitle(), title);
    const Qt::WindowFlags buttons = Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint;
    if (!systemButtons)
        QVERIFY2(!(d->windowFlags() & buttons) && (d->windowFlags() & Qt::CustomizeWindowHint),
                 qPrintable(QString::number(int(d->windowFlags()), 16)));
    // No application display name: the platform would append it to every title.
    QVERIFY(QGuiApplication::applicationDisplayName() == QGuiApplication::applicationName());
}

void TestUpdateRoad::flasherWatchedToItsEnd() {
    UpdateFixture f;
    // A stand-in flasher that counts its starts, reports, takes its time and fails.
    const QString flasher = f.ws.ProgramFolder + "/VidodIzuze.exe";
    const QString starts = f.ws.ProgramFolder + "/starts";
    testdata::writeFile(flasher, "#!/bin/sh\necho started >> '" + starts.toUtf8() +
                                     "'\necho 'Port: COM1'\necho 'Result: REFUSED (status 3)'\n"
                                     "sleep 0.5\nexit 3\n");
    QFile::setPermissions(flasher, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    RecordingPrompter prompter;
    TFModifyFileSx dialog(f.ws, prompter);
    dialog.show();
    prompter.questionAnswers.enqueue(true);
    prompter.questionAnswers.enqueue(true);
    dialog.LbButton2->click();
    QVERIFY(!dialog.LbButton2->isEnabled());
    QVERIFY2(dialog.statusText().endsWith(": running..."), qPrintable(dialog.statusText()));
    dialog.LbButton2->click(); // a quick second press while it runs
    QTRY_VERIFY_WITH_TIMEOUT(dialog.LbButton2->isEnabled(), 10000);
    QCOMPARE(dialog.statusText(), QString("VidodIzuze.exe ended with status 3.\nPort: COM1\n"
                                          "Result: REFUSED (status 3)"));
    QCOMPARE(testdata::readFile(starts), QByteArray("started\n"));
    QVERIFY(dialog.Avanzamento->property("failed").toBool());
}

void TestUpdateRoad::progressAfterFailure_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("barFull");
    QTest::newRow("no bank window") << "window" << true;   // read to its end, red "Failed"
    QTest::newRow("flasher missing") << "flasher" << true; // the patch itself completed
    QTest::newRow("question declined") << "declined" << true;
}

void TestUpdateRoad::progressAfterFailure() {
    QFETCH(QString, fault);
    QFETCH(bool, barFull);
    UpdateFixture f;
    if (fault == "window") {
        QByteArrayList lines = testdata::sampleBase();
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [](const QByteArray& l) {
                                       const uint a = l.mid(4, 6).toUInt(nullptr, 16);
                                       return l.startsWith("S2") && a >= 0x388000 && a < 0x38C000;
                                   }),
                    lines.end());
        testdata::writeFile(f.ws.MasterFolder + "/sx93051.sx", testdata::crlfText(lines));
    } else if (fault == "flasher") {
        QFile::remove(f.ws.ProgramFolder + "/VidodIzuze.exe");
    }
    RecordingPrompter prompter;
    TFModifyFileSx dialog(f.ws, prompter);
    dialog.show();
    prompter.questionAnswers.enqueue(false);
    dialog.LbButton2->click();
    QProgressBar* bar = dialog.Avanzamento;
    QCOMPARE(bar->value() == bar->maximum(), barFull);
    QCOMPARE(bar->property("failed").toBool(), fault != "declined");
    // The next opening starts clean.
    dialog.hide();
    dialog.show();
    QCOMPARE(bar->value(), 0);
    QVERIFY(!bar->property("failed").toBool());
}

void TestUpdateRoad::updateWithoutProject() {
    MainWindowFixture f;
    f.start();
    int opened = 0;
    f.window->execDialog = [&](QDialog*) { return ++opened, 0; };
    f.window->RunDeviceUpdate(f.window->CreateBin);
    QCOMPARE(opened, 0);
    QCOMPARE(f.prompter.texts(), QStringList{kNoProjectMessage});
    QVERIFY(!QFileInfo::exists(f.ws.ProjectsFolder + "/bin"));
}

void TestUpdateRoad::textsReadable() {
    MainWindowFixture f;
    f.start();
    int checked = 0;
    for (const QLabel* l : f.window->findChildren<QLabel*>()) {
        if (l->text().isEmpty() || l->text().startsWith('<'))
            continue;
        const double ratio = ContrastRatio(l->palette().color(QPalette::WindowText),
                                           f.window->palette().color(QPalette::Window));
        QVERIFY2(ratio >= 4.5, qPrintable(QString("%1: %2:1").arg(l->text()).arg(ratio)));
        ++checked;
    }
    QVERIFY(checked >= 6);
    // The four step buttons are one width.
    QCOMPARE(f.window->open->width(), f.window->New->width());
    QCOMPARE(f.window->CreateBin->sizeHint().width() <= f.window->New->width(), true);
}

void TestUpdateRoad::checkedBeforeComposing_data() {
    QTest::addColumn<QByteArray>("var");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("opened");
    const QByteArray overlap =
        "<TCP_TO_RTU><row DATA_TYPE=\"3\" TCP_ADDRESS=\"0\" RTU_ADD_DEV=\"1\" "
        "RTU_ADDRESS=\"0\" N_POINT=\"9\" MNEMONIC=\"a\"/><row DATA_TYPE=\"3\" "
        "TCP_ADDRESS=\"5\" RTU_ADD_DEV=\"2\" RTU_ADDRESS=\"0\" N_POINT=\"1\" "
        "MNEMONIC=\"b\"/></TCP_TO_RTU>";
    const QByteArray zero = "<TCP_TO_RTU><row DATA_TYPE=\"3\" TCP_ADDRESS=\"0\" RTU_ADD_DEV=\"1\" "
                            "RTU_ADDRESS=\"0\" N_POINT=\"0\" MNEMONIC=\"a\"/></TCP_TO_RTU>";
    QTest::newRow("an error stops") << overlap << true << 0;
    QTest::newRow("a warning asks: no") << zero << false << 0;
    QTest::newRow("a warning asks: yes") << zero << true << 1;
}

void TestUpdateRoad::checkedBeforeComposing() {
    QFETCH(QByteArray, var);
    QFETCH(bool, answer);
    QFETCH(int, opened);
    UpdateFixture f;
    testdata::writeFile(f.ws.PargenPath, testdata::readFile(QUENZOR_SOURCE_DIR
                                                            "/fuzz/corpus/fuzz_pargen/pargen.xml"));
    testdata::writeFile(f.ws.VarPath, var);
    RecordingPrompter prompter;
    TFQuenzoreFirmWare window(f.ws, prompter, QString(f.ws.ProgramFolder));
    window.CreateDialogs();
    f.openProject("P1");
    int shown = 0;
    window.execDialog = [&](QDialog*) { return ++shown, 0; };
    prompter.questionAnswers.enqueue(answer);
    const QByteArray bankBefore = testdata::readFile(f.binFile());
    window.RunDeviceUpdate(window.CreateBin);
    QCOMPARE(shown, opened);
    QVERIFY(!prompter.texts().isEmpty());
    QVERIFY(prompter.texts().first().contains("var.xml row "));
    if (opened == 0)
        QCOMPARE(testdata::readFile(f.binFile()), bankBefore); // nothing composed
}

void TestUpdateRoad::confirmationSaysWhenFileDiffers() {
    UpdateFixture f; // its bin/bank1.bin was not composed from this pargen.xml
    testdata::writeFile(f.ws.PargenPath, testdata::readFile(QUENZOR_SOURCE_DIR
                                                            "/fuzz/corpus/fuzz_pargen/pargen.xml"));
    RecordingPrompter prompter;
    TFModifyFileSx dialog(f.ws, prompter);
    dialog.show();
    prompter.questionAnswers.enqueue(false);
    dialog.LbButton2->click();
    QCOMPARE(prompter.entries.size(), 1);
    const QString summary = prompter.entries[0].text;
    QVERIFY2(summary.contains("\n\nThis file does not carry the project's configuration:\n"
                              "IP address: 0.0.0.0 in the project, "),
             qPrintable(summary));
}

QTEST_MAIN(TestUpdateRoad)
#include "test_updateroad.moc"

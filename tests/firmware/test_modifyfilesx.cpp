#include "common/RecordingPrompter.h"
#include "firmware/TFModifyFileSx.h"
#include "shell/TFQuenzoreFirmWare.h"

#include "RecordingLauncher.h"
#include "UpdateFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace testdata;

namespace {

const QByteArray kPargen =
    "<General_Parameter><TCP_IP1>10</TCP_IP1><TCP_IP2>0</TCP_IP2><TCP_IP3>0</TCP_IP3>"
    "<TCP_IP4>7</TCP_IP4><TCP_SUB1>255</TCP_SUB1><TCP_SUB2>255</TCP_SUB2><TCP_SUB3>255</TCP_SUB3>"
    "<TCP_SUB4>0</TCP_SUB4><TCP_GAT1>10</TCP_GAT1><TCP_GAT2>0</TCP_GAT2><TCP_GAT3>0</TCP_GAT3>"
    "<TCP_GAT4>1</TCP_GAT4><TCP_PORT>502</TCP_PORT><SNMP_PUBLIC>halvik</SNMP_PUBLIC>"
    "<SNMP_PRIVATE>morsund</SNMP_PRIVATE><BAUD>6</BAUD><PARITY>0</PARITY>"
    "<TIME_OUT>1000</TIME_OUT><OFFSET>0</OFFSET><MODE>1</MODE></General_Parameter>";

} // namespace

class TestModifyFileSx : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showState();
    void showWithoutBaseFirmware();
    void executeOnCom3();
    void bankWindowMissingMarksAndStops();
    void optionsToggle();
    void hiddenFlasherButtonAlone();
    void updateDeviceWritesThenOpens();
    void updateDeviceStops_data();
    void updateDeviceStops();
    void updateDeviceWithoutProject();
    void dialogCreatedInOrder();
};

void TestModifyFileSx::showState() {
    UpdateFixture f;
    RecordingPrompter prompter;
    TFModifyFileSx dialog(f.ws, prompter);
    QCOMPARE(dialog.windowTitle(), QString("Generate Firmware"));
    QCOMPARE(dialog.cbport->count(), 8);
    // The fixed names, each with the serial port present for it, if any.
    QCOMPARE(dialog.cbport->itemText(0).section(' ', 0, 0), QString("COM1"));
    QCOMPARE(dialog.cbport->itemText(7).section(' ', 0, 0), QString("COM8"));
    dialog.cbport->setCurrentIndex(5);
    dialog.Avanzamento->setValue(dialog.Avanzamento->maximum());
    dialog.show();
    QVERIFY(prompter.entries.isEmpty());
    QCOMPARE(dialog.cbport->currentText().section(' ', 0, 0), QString("COM1"));
    QCOMPARE(dialog.Avanzamento->value(), 0);
    QVERIFY(dialog.LbButton2->isEnabled());
    QCOMPARE(dialog.LbButton2->text(), QString("Execute update firmware"));
    QCOMPARE(dialog.NewFileSx->text(), QString("New_sx93051.sx"));
    QCOMPARE(dialog.update().newFileName(), QString("New_sx93051.sx"));
    QCOMPARE(dialog.Options->text(), QString("Options >>"));
    for (QWidget* hidden : std::initializer_list<QWidget*>{
             dialog.NewFileSx, dialog.Label3, dialog.OpenFile, dialog.Options, dialog.GbBank,
             dialog.DirFileBin, dialog.ExeModFileSx, dialog.ExeUpdateFir})
        QVERIFY(!hidden->isVisible());
    QVERIFY(dialog.LbButton1->isVisible() && dialog.cbport->isVisible() &&
            dialog.Avanzamento->isVisible());
    QVERIFY(!dialog.Cbbank1->isHidden() && dialog.Cbbank1->isChecked());
    QVERIFY(!dialog.Cbbank2->isHidden() && dialog.Cbbank2->isChecked());
    QVERIFY(dialog.Cbbank3->isHidden() && dialog.Cbbank4->isHidden() && dialog.Cbbank5->isHidden());
    // Centred across, its bottom edge at the middle of the screen.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(dialog.x(), screen.width() / 2 - dialog.width() / 2);
    QCOMPARE(dialog.y(), screen.height() / 2 - dialog.height());
    // The edited name is the name used.
    dialog.NewFileSx->setText("Other.sx");
    QCOMPARE(dialog.update().newFileName(), QString("Other.sx"));
}

void TestModifyFileSx::showWithoutBaseFirmware() {
    UpdateFixture f;
    QVERIFY(QFile::remove(f.ws.MasterFolder + "/sx93051.sx"));
    RecordingPrompter prompter;
    TFModifyFileSx dialog(f.ws, prompter);
    for (int opening = 1; opening <= 2; ++opening) {
        dialog.show();
        QVERIFY(!dialog.LbButton2->isEnabled());
        dialog.hide();
    }
    QCOMPARE(prompter.texts(), QStringList(2, "Error file sx93051.sx not found"));
    QCOMPARE(prompter.entries[0].kind, RecordingPrompter::Kind::Error);
}

void TestModifyFileSx::executeOnCom3() {
    UpdateFixture f;
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    TFModifyFileSx dialog(f.ws, prompter);
    dialog.setLauncher(&launcher);
    dialog.show();
    dialog.cbport->setCurrentIndex(2);
    prompter.questionAnswers.enqueue(true);
    QTest::mouseClick(dialog.LbButton2, Qt::LeftButton);
    // What is about to be flashed, decoded from the new file's own bank window, confirmed.
    QCOMPARE(prompter.entries.size(), 1);
    QCOMPARE(prompter.entries[0].kind, RecordingPrompter::Kind::Question);
    const QStringList summary = prompter.entries[0].text.split('\n');
    QCOMPARE(summary.value(0), QString("Flash New_sx93051.sx on COM3?"));
    QStringList labels;
    for (const QString& line : summary.mid(2))
        labels << line.section(':', 0, 0);
    QCOMPARE(labels, QStringList({"Project", "IP address", "Subnet mask", "TCP port", "Baud rate",
                                  "Parity", "Mode", "Composed", "Port"}));
    QCOMPARE(summary.last(), QString("Port: COM3"));
    QCOMPARE(launcher.starts.size(), 1);
    QVERIFY(launcher.starts[0].parameter.endsWith("\"\xB6"
                                                  "2"));
    QCOMPARE(launcher.starts[0].parameter, '"' + QFile::encodeName(f.newFirmware()) +
                                               "\"\xB6"
                                               "2");
    QCOMPARE(readFile(f.newFirmware()), f.expectedNewFirmware());
    QCOMPARE(dialog.Avanzamento->maximum(), 512 + sampleBase().size());
    QCOMPARE(dialog.Avanzamento->value(), dialog.Avanzamento->maximum());
    QVERIFY(dialog.isVisible()); // the dialog stays open
    QVERIFY(!dialog.isMarked(dialog.Cbbank1));
    QCOMPARE(dialog.statusText(), QString("VidodIzuze.exe started on COM3 with New_sx93051.sx"));
    dialog.hide();
    dialog.show();
    QCOMPARE(dialog.statusText(), QString());
}

void TestModifyFileSx::bankWindowMissingMarksAndStops() {
    UpdateFixture f;
    QVERIFY(writeFile(f.ws.MasterFolder + "/sx93051.sx", crlfText({s2(0x1000), "S9030000FC"})));
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    TFModifyFileSx dialog(f.ws, prompter);
    dialog.setLauncher(&launcher);
    dialog.show();
    dialog.LbButton2Click();
    QVERIFY(dialog.isMarked(dialog.Cbbank1));
    QVERIFY(!dialog.isMarked(dialog.Cbbank2));
    QCOMPARE(
        prompter.texts(),
        QStringList{"Bank 1 Not Found in sx93051.sx: Configuration not placed,Abort Procedure"});
    QVERIFY(launcher.starts.isEmpty());
    QCOMPARE(dialog.statusText(), QString());
    dialog.hide();
    dialog.show();
    QVERIFY(!dialog.isMarked(dialog.Cbbank1));
}

void TestModifyFileSx::optionsToggle() {
    UpdateFixture f;
    RecordingPrompter prompter;
    TFModifyFileSx dialog(f.ws, prompter);
    dialog.show();
    dialog.OptionsClick();
    QCOMPARE(dialog.Options->text(), QString("<< Options"));
    QVERIFY(!dialog.GbBank->isHidden() && !dialog.DirFileBin->isHidden());
    dialog.OptionsClick();
    QCOMPARE(dialog.Options->text(), QString("Options >>"));
    QVERIFY(dialog.GbBank->isHidden() && dialog.DirFileBin->isHidden());
    dialog.OptionsClick();
    dialog.hide();
    dialog.show(); // each opening hides them again
    QVERIFY(dialog.GbBank->isHidden() && dialog.DirFileBin->isHidden());
}

void TestModifyFileSx::hiddenFlasherButtonAlone() {
    UpdateFixture f;
    QVERIFY(writeFile(f.newFirmware(), "earlier run"));
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    TFModifyFileSx dialog(f.ws, prompter);
    dialog.setLauncher(&launcher);
    dialog.show();
    dialog.ExeUpdateFirClick();
    QVERIFY(launcher.starts.isEmpty());
    QCOMPARE(prompter.texts(), QStringList{"Firmware not patched with Bank 1, Procedure Aborted"});
}

void TestModifyFileSx::updateDeviceWritesThenOpens() {
    UpdateFixture f;
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    TFQuenzoreFirmWare window(f.ws, prompter, QString(f.ws.ProgramFolder));
    window.CreateDialogs();
    window.FModifyFileSx->setLauncher(&launcher);
    f.openProject("P1"); // the window's start-up found no stored project
    QVERIFY(QFile::remove(f.binFile()));
    QVERIFY(writeFile(f.ws.PargenPath, kPargen));
    int opened = 0;
    qsizetype binSize = -1;
    qsizetype cLines = -1;
    QString label;
    QDialog* shown = nullptr;
    window.execDialog = [&](QDialog* d) {
        ++opened;
        // What is on disk at the moment the dialog opens.
        binSize = readFile(f.binFile()).size();
        cLines = readFile(f.ws.ProjectFolder + "/bin/bankg.c").count("\r\n");
        label = window.Labelstate->text();
        shown = d;
        prompter.questionAnswers.enqueue(true);
        d->show();
        window.FModifyFileSx->LbButton2Click();
        d->hide();
        return 0;
    };
    window.RunDeviceUpdate(window.CreateBin);
    QCOMPARE(opened, 1);
    QCOMPARE(binSize, 16384);
    QCOMPARE(cLines, 1027);
    QCOMPARE(label, QString("--"));
    QCOMPARE(shown, window.FModifyFileSx);
    QCOMPARE(prompter.entries.size(), 1); // the confirmation
    QCOMPARE(prompter.entries[0].kind, RecordingPrompter::Kind::Question);
    QCOMPARE(launcher.starts.size(), 1);
    const QByteArray image = readFile(f.binFile());
    QCOMPARE(image.mid(15000, 4), QByteArray::fromHex("0A000007"));
    QCOMPARE(window.configImage.toByteArray(), image);
    f.image = image;
    QCOMPARE(readFile(f.newFirmware()), f.expectedNewFirmware());
}

void TestModifyFileSx::updateDeviceStops_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("start"); // of the error report
    QTest::addColumn<QString>("names"); // what the report must name besides the file
    QTest::newRow("BAUD not an integer") << "baud"
                                         << "Configuration image not composed. "
                                         << "\"BAUD\"";
    QTest::newRow("no pargen.xml") << "pargen"
                                   << "Configuration image not composed. "
                                   << "";
    QTest::newRow("no bin folder") << "bin"
                                   << "Cannot create file \""
                                   << "bank1.bin";
}

void TestModifyFileSx::updateDeviceStops() {
    QFETCH(QString, fault);
    QFETCH(QString, start);
    QFETCH(QString, names);
    UpdateFixture f;
    RecordingPrompter prompter;
    RecordingLauncher launcher;
    TFQuenzoreFirmWare window(f.ws, prompter, QString(f.ws.ProgramFolder));
    window.CreateDialogs();
    window.FModifyFileSx->setLauncher(&launcher);
    f.openProject("P1"); // the window's start-up found no stored project
    if (fault == "baud")
        QVERIFY(writeFile(f.ws.PargenPath, QByteArray(kPargen).replace("<BAUD>6<", "<BAUD>abc<")));
    if (fault == "bin") {
        QVERIFY(writeFile(f.ws.PargenPath, kPargen));
        QVERIFY(QDir(f.ws.ProjectFolder + "/bin").removeRecursively());
    }
    const QByteArray staleBank = readFile(f.binFile());
    int opened = 0;
    window.execDialog = [&](QDialog*) { return ++opened, 0; };
    window.RunDeviceUpdate(window.CreateBin);
    QCOMPARE(opened, 0);
    QVERIFY(launcher.starts.isEmpty());
    QCOMPARE(prompter.entries.size(), 1);
    QCOMPARE(prompter.entries[0].kind, RecordingPrompter::Kind::ErrorReport);
    const QString report = prompter.entries[0].text;
    QVERIFY2(report.startsWith(start), qPrintable(report));
    QVERIFY2(report.contains(names), qPrintable(report));
    if (fault != "bin")
        QVERIFY2(report.contains(QDir::toNativeSeparators(f.ws.PargenPath)), qPrintable(report));
    QCOMPARE(window.Labelstate->text(), QString("Wait.."));
    // Nothing written: the bank file of before is untouched, bankg.c never made.
    QCOMPARE(readFile(f.binFile()), staleBank);
    QVERIFY(!QFile::exists(f.ws.ProjectFolder + "/bin/bankg.c"));
}

void TestModifyFileSx::updateDeviceWithoutProject() {
    UpdateFixture f;
    RecordingPrompter prompter;
    TFQuenzoreFirmWare window(f.ws, prompter, QString(f.ws.ProgramFolder));
    window.CreateDialogs();
    window.workspace().ProjectFolder.clear();
    int opened = 0;
    window.execDialog = [&](QDialog*) { return ++opened, 0; };
    window.RunDeviceUpdate(window.CreateBin);
    QCOMPARE(opened, 0);
    QCOMPARE(prompter.texts(), QStringList{"Project not valid"});
}

void TestModifyFileSx::dialogCreatedInOrder() {
    UpdateFixture f;
    RecordingPrompter prompter;
    TFQuenzoreFirmWare window(f.ws, prompter, QString(f.ws.ProgramFolder));
    window.CreateDialogs();
    QCOMPARE(&window.workspace(), &f.ws);
    QVERIFY(window.FModifyFileSx);
    QVERIFY(!window.FModifyFileSx->isVisible());
    const QList<QDialog*> dialogs = window.findChildren<QDialog*>(Qt::FindDirectChildrenOnly);
    const qsizetype mine = dialogs.indexOf(window.FModifyFileSx);
    QVERIFY(mine > dialogs.indexOf(reinterpret_cast<QDialog*>(window.FSaveproj)));
    QVERIFY(mine < dialogs.indexOf(reinterpret_cast<QDialog*>(window.FPargen)));
}

QTEST_MAIN(TestModifyFileSx)
#include "test_modifyfilesx.moc"

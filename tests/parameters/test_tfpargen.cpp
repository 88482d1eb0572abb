#include "common/RecordingPrompter.h"
#include "parameters/PortSpinEdit.h"
#include "parameters/TFSNMP.h"
#include "parameters/TFpargen.h"
#include "project/Workspace.h"

#include "TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// One dialog on a temporary project, with the main window's two members recorded.
struct PargenFixture {
    QTemporaryDir dir;
    Workspace ws;
    RecordingPrompter prompter;
    std::unique_ptr<TFpargen> dialog;
    TFSNMP snmp;
    QString ping = "0.0.0.0";
    int translate = -1; // -1: never set

    PargenFixture() {
        ws.ProjectFolder = dir.path();
        RefreshProjectPaths(ws);
        dialog = std::make_unique<TFpargen>(ws, prompter);
        dialog->FSNMP = &snmp;
        dialog->setPingAddress = [this](const QString& a) { ping = a; };
        dialog->setTranslateEnabled = [this](bool on) { translate = on; };
    }
    void show() {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    }
};

class TestTFpargen : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldsAndVisibility();
    void showLoadsFileOrDefaults();
    void dotMovesThroughOctets_data();
    void dotMovesThroughOctets();
    void dotInFourthFieldIsSwallowed();
    void portKeysAndArrows();
    void okSavesAndUpdatesMainWindow_data();
    void okSavesAndUpdatesMainWindow();
    void failedCheckKeepsDialogOpen();
    void cancelDiscards();
    void malformedFileAsksBeforeReplacing_data();
    void malformedFileAsksBeforeReplacing();
    void saveFailureLeavesMainWindowAlone();
    void baudOutsideListSurvives();
    void communityNames();
};

void TestTFpargen::fieldsAndVisibility() {
    PargenFixture f;
    f.show();
    TFpargen& d = *f.dialog;
    QCOMPARE(d.windowTitle(), QString("General Parameter"));
    for (QWidget* w : {static_cast<QWidget*>(d.E_IP1), static_cast<QWidget*>(d.E_SUB4),
                       static_cast<QWidget*>(d.SE_Port), static_cast<QWidget*>(d.CB_Baud),
                       static_cast<QWidget*>(d.bitbtn1), static_cast<QWidget*>(d.bitbtn2)})
        QVERIFY(w->isVisible());
    for (QWidget* w : {static_cast<QWidget*>(d.E_GAT1), static_cast<QWidget*>(d.E_GAT4),
                       static_cast<QWidget*>(d.LbButton1), static_cast<QWidget*>(d.CB_Par),
                       static_cast<QWidget*>(d.E_Time), static_cast<QWidget*>(d.E_Offset),
                       static_cast<QWidget*>(d.RG_Mode)})
        QVERIFY(!w->isVisible());
    QCOMPARE(d.GroupBox1->title(), QString("MODBUS TCP"));
    QCOMPARE(d.GroupBox2->title(), QString("BaudRate 485"));
    QStringList baud;
    for (int i = 0; i < d.CB_Baud->count(); ++i)
        baud << d.CB_Baud->itemText(i);
    QCOMPARE(baud, QStringList({"9600", "19200", "38400", "57600", "115200"}));
    QCOMPARE(d.bitbtn1->text(), QString("OK"));
    QCOMPARE(d.bitbtn2->text(), QString("Cancel"));
    QCOMPARE(f.snmp.windowTitle(), QString("SNMP Community Name"));
    QCOMPARE(f.snmp.Edit1->maxLength(), 13);
    QCOMPARE(f.snmp.Edit2->maxLength(), 13);
}

void TestTFpargen::showLoadsFileOrDefaults() {
    PargenFixture f;
    f.show();
    QCOMPARE(f.dialog->values(), WriteParameterDefaults());
    QCOMPARE(f.dialog->CB_Baud->currentText(), QString("57600"));
    f.dialog->hide();

    writeFile(f.ws.PargenPath, "<General_Parameter><TCP_IP1>10</TCP_IP1><BAUD>4</BAUD>"
                               "<TCP_PORT>$1F6</TCP_PORT><MODE>0</MODE></General_Parameter>");
    f.show();
    QCOMPARE(f.dialog->E_IP1->text(), QString("10"));
    QCOMPARE(f.dialog->CB_Baud->currentText(), QString("19200"));
    QCOMPARE(f.dialog->SE_Port->text(), QString("502"));
    QCOMPARE(f.dialog->RG_Mode->itemIndex(), 0);
    QCOMPARE(f.dialog->SnmpPublic, QString());
    QVERIFY(f.prompter.entries.isEmpty());
}

void TestTFpargen::dotMovesThroughOctets_data() {
    QTest::addColumn<int>("address"); // 0 IP, 1 subnet mask
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("octets");
    QTest::newRow("ip 192.168.1.10") << 0 << "192.168.1.10" << QStringList{"192", "168", "1", "10"};
    QTest::newRow("letters reach the field") << 0 << "a.b.$F.x" << QStringList{"a", "b", "$F", "x"};
    QTest::newRow("mask") << 1 << "255.255.0.0" << QStringList{"255", "255", "0", "0"};
    // The second dot passes over the second field, which keeps its value.
    QTest::newRow("double dot") << 1 << "1..2" << QStringList{"1", "255", "2", "0"};
}

void TestTFpargen::dotMovesThroughOctets() {
    QFETCH(int, address);
    QFETCH(QString, typed);
    QFETCH(QStringList, octets);
    PargenFixture f;
    f.show();
    TFpargen& d = *f.dialog;
    const QList<QLineEdit*> fields =
        address == 0 ? QList<QLineEdit*>{d.E_IP1, d.E_IP2, d.E_IP3, d.E_IP4}
                     : QList<QLineEdit*>{d.E_SUB1, d.E_SUB2, d.E_SUB3, d.E_SUB4};
    fields[0]->setFocus();
    fields[0]->selectAll();
    for (const QChar c : typed)
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
    QStringList got;
    for (QLineEdit* e : fields)
        got << e->text();
    QCOMPARE(got, octets);
}

void TestTFpargen::dotInFourthFieldIsSwallowed() {
    PargenFixture f;
    f.show();
    f.dialog->E_IP4->setFocus();
    f.dialog->E_IP4->setText("7");
    QTest::keyClicks(f.dialog->E_IP4, ".");
    QCOMPARE(f.dialog->E_IP4->text(), QString("7"));
    QCOMPARE(QApplication::focusWidget(), f.dialog->E_IP4);
    // The hidden gateway fields never take the focus from a visible one.
    f.dialog->E_SUB4->setFocus();
    QTest::keyClicks(f.dialog->E_SUB4, ".");
    QCOMPARE(QApplication::focusWidget(), f.dialog->E_SUB4);
}

void TestTFpargen::portKeysAndArrows() {
    PargenFixture f;
    f.show();
    TPortSpinEdit* port = f.dialog->SE_Port;
    port->setFocus();
    port->setText("");
    QTest::keyClicks(port, "5a0x2b");
    QCOMPARE(port->text(), QString("502"));
    QTest::keyClicks(port, "-+");
    QCOMPARE(port->text(), QString("502-+"));
    QCOMPARE(port->value(), 0); // not an integer text

    port->setValue(65535);
    port->stepBy(1);
    QCOMPARE(port->value(), 65536); // no upper bound
    port->setValue(0);
    QTest::keyClick(port, Qt::Key_Down);
    QCOMPARE(port->value(), -1); // no lower bound
    port->setValue(2147483647);
    port->stepBy(3);
    QCOMPARE(port->value(), 2147483647);
}

void TestTFpargen::okSavesAndUpdatesMainWindow_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("translate");
    QTest::newRow("NAT mode enables") << 1 << true;
    QTest::newRow("routing mode disables") << 0 << false;
}

void TestTFpargen::okSavesAndUpdatesMainWindow() {
    QFETCH(int, mode);
    QFETCH(bool, translate);
    PargenFixture f;
    f.show();
    TFpargen& d = *f.dialog;
    d.E_IP1->setText("192");
    d.E_IP2->setText("168");
    d.E_IP3->setText("1");
    d.E_IP4->setText("$0A");
    d.CB_Baud->setCurrentIndex(4);
    d.SE_Port->setText("1502");
    d.RG_Mode->setItemIndex(mode);
    d.bitbtn1->click();
    QVERIFY(f.prompter.entries.isEmpty());
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(!d.isVisible());
    QCOMPARE(f.ping, QString("192.168.1.$0A"));
    QCOMPARE(f.translate, int(translate));
    const LoadedParameters saved = LoadParameters(f.ws.PargenPath);
    QCOMPARE(saved.values.ip[3], QString("$0A"));
    QCOMPARE(saved.values.baudCode, 7);
    QCOMPARE(saved.values.port, QString("1502"));
    QCOMPARE(saved.values.mode, mode);
}

void TestTFpargen::failedCheckKeepsDialogOpen() {
    PargenFixture f;
    writeFile(f.ws.PargenPath, ParametersXml(WriteParameterDefaults()));
    f.show();
    f.dialog->E_IP1->setText("300");
    f.dialog->E_IP2->setText("1");
    QVERIFY(!f.dialog->BitBtn1Click());
    QCOMPARE(f.prompter.entries.size(), 1);
    QCOMPARE(f.prompter.entries[0].kind, RecordingPrompter::Kind::Error);
    QCOMPARE(f.prompter.entries[0].text, QString("Error!! IP must be between 0 and 255. "));
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(f.ping, QString("300.1.0.0"));
    QCOMPARE(f.translate, -1);
    QCOMPARE(readFile(f.ws.PargenPath), ParametersXml(WriteParameterDefaults()));
}

void TestTFpargen::cancelDiscards() {
    PargenFixture f;
    f.show();
    f.dialog->E_IP1->setText("10");
    f.dialog->SnmpPublic = "changed";
    QTest::keyClick(f.dialog.get(), Qt::Key_Escape);
    QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
    QVERIFY(!f.dialog->isVisible());
    QVERIFY(!QFile::exists(f.ws.PargenPath));
    QCOMPARE(f.ping, QString("0.0.0.0"));
    f.show();
    QCOMPARE(f.dialog->E_IP1->text(), QString("0"));
    QCOMPARE(f.dialog->SnmpPublic, QString("halvik"));
}

void TestTFpargen::malformedFileAsksBeforeReplacing_data() {
    QTest::addColumn<bool>("answer");
    QTest::newRow("no keeps the damaged file") << false;
    QTest::newRow("yes replaces it") << true;
}

void TestTFpargen::malformedFileAsksBeforeReplacing() {
    QFETCH(bool, answer);
    PargenFixture f;
    const QByteArray damaged = "<General_Parameter><TCP_IP1>10</TCP_IP1>";
    writeFile(f.ws.PargenPath, damaged);
    f.show();
    QCOMPARE(f.prompter.entries.size(), 1);
    QCOMPARE(f.prompter.entries[0].kind, RecordingPrompter::Kind::ErrorReport);
    QVERIFY(f.prompter.entries[0].text.contains("Line: 1"));
    QCOMPARE(f.dialog->values(), WriteParameterDefaults());
    QCOMPARE(readFile(f.ws.PargenPath), damaged);

    f.prompter.questionAnswers.enqueue(answer);
    QCOMPARE(f.dialog->BitBtn1Click(), answer);
    QCOMPARE(f.prompter.entries.size(), 2);
    QCOMPARE(f.prompter.entries[1].kind, RecordingPrompter::Kind::Question);
    QCOMPARE(f.prompter.entries[1].text, ReplaceUnreadFileQuestion(f.ws.PargenPath));
    QCOMPARE(f.prompter.entries[1].extra, QString("General Parameter"));
    QCOMPARE(f.dialog->isVisible(), !answer);
    QCOMPARE(readFile(f.ws.PargenPath), answer ? ParametersXml(WriteParameterDefaults()) : damaged);
    QCOMPARE(f.translate, answer ? 1 : -1);
}

void TestTFpargen::saveFailureLeavesMainWindowAlone() {
    PargenFixture f;
    f.show();
    f.ws.PargenPath = f.dir.filePath("gone/pargen.xml");
    f.dialog->E_IP1->setText("10");
    QVERIFY(!f.dialog->BitBtn1Click());
    QCOMPARE(f.prompter.entries.size(), 1);
    QCOMPARE(f.prompter.entries[0].kind, RecordingPrompter::Kind::ErrorReport);
    QVERIFY(f.prompter.entries[0].text.startsWith("Cannot create file"));
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(f.ping, QString("0.0.0.0"));
    QCOMPARE(f.translate, -1);
}

void TestTFpargen::baudOutsideListSurvives() {
    PargenFixture f;
    writeFile(f.ws.PargenPath, "<General_Parameter><BAUD>9</BAUD></General_Parameter>");
    f.show();
    QCOMPARE(f.dialog->CB_Baud->currentIndex(), -1);
    QVERIFY(f.dialog->BitBtn1Click());
    QCOMPARE(LoadParameters(f.ws.PargenPath).values.baudCode, 9);
    f.show();
    f.dialog->CB_Baud->setCurrentIndex(1);
    QVERIFY(f.dialog->BitBtn1Click());
    QCOMPARE(LoadParameters(f.ws.PargenPath).values.baudCode, 4);
}

void TestTFpargen::communityNames() {
    PargenFixture f;
    f.show();
    QString seenPublic;
    f.dialog->execDialog = [&](QDialog* d) {
        auto* s = static_cast<TFSNMP*>(d);
        seenPublic = s->Edit1->text();
        s->Edit1->clear();
        QTest::keyClicks(s->Edit1, "ABCDEFGHIJKLMNOPQ"); // the field stops at 13
        s->Edit2->setText("");
        return int(QDialog::Accepted);
    };
    f.dialog->LbButton1Click();
    QCOMPARE(seenPublic, QString("halvik"));
    QCOMPARE(f.dialog->SnmpPublic, QString("ABCDEFGHIJKLM"));
    QCOMPARE(f.dialog->SnmpPrivate, QString());
    QVERIFY(!QFile::exists(f.ws.PargenPath)); // only OK stores them

    f.dialog->execDialog = [](QDialog* d) {
        static_cast<TFSNMP*>(d)->Edit1->setText("other");
        return int(QDialog::Rejected);
    };
    f.dialog->LbButton1Click();
    QCOMPARE(f.dialog->SnmpPublic, QString("ABCDEFGHIJKLM"));

    QVERIFY(f.dialog->BitBtn1Click());
    const GeneralParameters saved = LoadParameters(f.ws.PargenPath).values;
    QCOMPARE(saved.snmpPublic, QString("ABCDEFGHIJKLM"));
    QCOMPARE(saved.snmpPrivate, QString());
}

QTEST_MAIN(TestTFpargen)
#include "test_tfpargen.moc"

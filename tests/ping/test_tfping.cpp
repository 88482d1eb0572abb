#include "common/RecordingPrompter.h"
#include "ping/PingDevice.h"
#include "ping/TFPing.h"
#include "shell/TFQuenzoreFirmWare.h"

#include "MainWindowFixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestTFPing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsAsPingDialog();
    void showPingResult_data();
    void showPingResult();
    void okCloses();
    void windowPingNeedsProject();
    void windowPing_data();
    void windowPing();
};

void TestTFPing::startsAsPingDialog() {
    TFPing dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Ping!"));
    QCOMPARE(dialog.LbButton1->text(), QStringLiteral("OK"));
    // Three distinct pictures of one size in one place.
    const QImage found = dialog.I_P_F->pixmap().toImage();
    const QImage notFound = dialog.I_P_NF->pixmap().toImage();
    const QImage error = dialog.I_P_E->pixmap().toImage();
    QVERIFY(!found.isNull());
    QCOMPARE(notFound.size(), found.size());
    QCOMPARE(error.size(), found.size());
    QVERIFY(found != notFound && found != error && notFound != error);
    QCOMPARE(dialog.I_P_NF->geometry(), dialog.I_P_F->geometry());
    QCOMPARE(dialog.I_P_E->geometry(), dialog.I_P_F->geometry());
}

void TestTFPing::showPingResult_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("visible"); // bits: found, not found, error
    QTest::newRow("found") << 0 << "Ping! Device Found!"
                           << "Device Found!" << 1;
    QTest::newRow("not found") << 1 << "Ping! Device Not Found!"
                               << "Device Not Found!" << 2;
    QTest::newRow("error") << 2 << "Ping! Error!!!"
                           << "Error!!! Check the Ip Address" << 4;
    QTest::newRow("other kind") << 3 << "c"
                                << "<b>t</b>" << 0;
    QTest::newRow("negative kind") << -1 << ""
                                   << "" << 0;
}

void TestTFPing::showPingResult() {
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QFETCH(int, visible);
    TFPing dialog;
    // Start from another result, so every picture has to be switched.
    dialog.ShowPingResult(kind == 2 ? 0 : 2, "x", "y");
    dialog.ShowPingResult(kind, caption, text);
    QCOMPARE(dialog.I_P_F->isVisibleTo(&dialog), bool(visible & 1));
    QCOMPARE(dialog.I_P_NF->isVisibleTo(&dialog), bool(visible & 2));
    QCOMPARE(dialog.I_P_E->isVisibleTo(&dialog), bool(visible & 4));
    QCOMPARE(dialog.windowTitle(), caption);
    QCOMPARE(dialog.Label1->text(), text);
    QCOMPARE(dialog.Label1->textFormat(), Qt::PlainText);
}

void TestTFPing::okCloses() {
    TFPing dialog;
    dialog.ShowPingResult(0, "Ping! Device Found!", "Device Found!");
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.LbButton1, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    // It keeps the last result for the next showing.
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Ping! Device Found!"));
    QVERIFY(dialog.I_P_F->isVisibleTo(&dialog));
}

void TestTFPing::windowPingNeedsProject() {
    MainWindowFixture f;
    f.start();
    TFQuenzoreFirmWare& window = *f.window;
    QVERIFY(!window.GroupBox1->isVisibleTo(&window));
    QCOMPARE(window.Edit1->text(), QStringLiteral("0.0.0.0"));
    int sent = 0;
    window.Ping1.Resolver = [&](const QString&) {
        ++sent;
        return HostLookup{0x7F000001, {}};
    };
    int shown = 0;
    window.execDialog = [&](QDialog*) { return ++shown; };
    f.ws.ProjectFolder.clear();
    window.CommonCommand(window.Btn_Ping);
    QCOMPARE(f.prompter.texts(), QStringList{QStringLiteral("Project not valid")});
    QCOMPARE(sent, 0);
    QCOMPARE(shown, 0);
}

void TestTFPing::windowPing_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("resolves");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("nextSequence");
    QTest::newRow("loopback answers")
        << "127.0.0.1" << true << "Ping! Device Found!" << 0 << 1 << 3490;
    QTest::newRow("name not resolved")
        << "gateway.invalid" << false << "Ping! Error!!!" << 2 << 0 << 3489;
    // The untouched address field names no device; no echo goes to this machine instead.
    QTest::newRow("initial address") << "0.0.0.0" << true << "Ping! Error!!!" << 2 << 0 << 3489;
}

void TestTFPing::windowPing() {
    QFETCH(QString, address);
    QFETCH(bool, resolves);
    QFETCH(QString, caption);
    QFETCH(int, picture);
    QFETCH(int, state);
    QFETCH(int, nextSequence);
    if (picture == 0) {
        const IcmpSocketOpen probe = OpenIcmpSocket(IcmpSocketKind::Automatic);
        if (!probe.transport)
            QSKIP(qPrintable("no ICMP socket here: " + probe.error));
    }
    QTemporaryDir dir;
    RecordingPrompter prompter;
    Workspace ws;
    TFQuenzoreFirmWare window(ws, prompter, dir.path());
    window.CreateDialogs();
    if (!resolves)
        window.Ping1.Resolver = [](const QString& host) {
            return HostLookup{{}, QStringLiteral("Cannot resolve '%1'").arg(host)};
        };
    QList<QDialog*> shown;
    window.execDialog = [&](QDialog* d) {
        shown << d;
        return int(QDialog::Accepted);
    };
    window.Edit1->setText(address);
    window.PingReplyState = 9;
    window.CommonCommand(window.Btn_Ping);
    QCOMPARE(shown, QList<QDialog*>{window.FPing});
    QCOMPARE(window.FPing->windowTitle(), caption);
    QCOMPARE(window.FPing->I_P_F->isVisibleTo(window.FPing), picture == 0);
    QCOMPARE(window.FPing->I_P_E->isVisibleTo(window.FPing), picture == 2);
    QCOMPARE(window.PingReplyState, state);
    QCOMPARE(int(window.Ping1.SequenceNumber), nextSequence);
    QVERIFY(prompter.texts().isEmpty());
    if (picture == 0) {
        // The next ping uses the next number.
        window.CommonCommand(window.Btn_Ping);
        QCOMPARE(int(window.Ping1.SequenceNumber), nextSequence + 1);
        QCOMPARE(window.FPing->Label1->text(), QStringLiteral("Device Found!"));
    }
}

QTEST_MAIN(TestTFPing)
#include "test_tfping.moc"

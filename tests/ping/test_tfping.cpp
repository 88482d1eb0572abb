#include "ping/TFPing.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class TestTFPing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsAsPingDialog();
    void showPingResult_data();
    void showPingResult();
    void okCloses();
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
    QTest::newRow("found") << 0 << "Ping! Device Found!" << "Device Found!" << 1;
    QTest::newRow("not found") << 1 << "Ping! Device Not Found!" << "Device Not Found!" << 2;
    QTest::newRow("error") << 2 << "Ping! Error!!!" << "Error!!! Check the Ip Address" << 4;
    QTest::newRow("other kind") << 3 << "c" << "<b>t</b>" << 0;
    QTest::newRow("negative kind") << -1 << "" << "" << 0;
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

QTEST_MAIN(TestTFPing)
#include "test_tfping.moc"

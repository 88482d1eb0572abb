#include "common/RecordingPrompter.h"
#include "tools/StringsFile.h"
#include "tools/TFSELstringhe.h"

#include "TestSupport.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString stringsFile(const QString& folder, const QString& name, const QStringList& strings) {
    QByteArray text = "<?xml version=\"1.0\"?>\n<strings>\n";
    for (const QString& s : strings)
        text += "  <s>" + s.toUtf8() + "</s>\n";
    text += "</strings>\n";
    return writeFileOrAbort(folder + QLatin1Char('/') + name, text);
}

} // namespace

class TestTFSELstringhe : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void gridLayout();
    void messages_data();
    void messages();
    void threeChildrenFillRowsOneToThree();
    void selectionSurvivesToNextOpening();
    void overLimitShowsFirstThousand();
    void buttons();

private:
    void showOnce() {
        dlg->show();
        dlg->hide();
    }
    QTemporaryDir dir;
    RecordingPrompter prompter;
    TFSELstringhe* dlg = nullptr;
};

void TestTFSELstringhe::init() {
    SelStringSettings() = TSelStringSettings{};
    prompter.clear();
    dlg = new TFSELstringhe(prompter);
}

void TestTFSELstringhe::cleanup() {
    delete dlg;
}

void TestTFSELstringhe::gridLayout() {
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Select String"));
    QCOMPARE(dlg->Label1->text(), QStringLiteral("Sel str:"));
    showOnce();
    QCOMPARE(dlg->RowCount(), 1001);
    QCOMPARE(dlg->sg->columnCount(), 2);
    QCOMPARE(dlg->Cell(0, 0), QStringLiteral("Index"));
    QCOMPARE(dlg->Cell(1, 0), QStringLiteral("String"));
    QCOMPARE(dlg->Cell(0, 1), QStringLiteral("0"));
    QCOMPARE(dlg->Cell(0, 500), QStringLiteral("499"));
    QCOMPARE(dlg->Cell(0, 1000), QStringLiteral("999"));
    QCOMPARE(dlg->Label1->text(), QStringLiteral("Sel str: 0"));
    // The index column is not selectable.
    QVERIFY(!(dlg->sg->item(0, 0)->flags() & Qt::ItemIsSelectable));
}

void TestTFSELstringhe::messages_data() {
    QTest::addColumn<QString>("name"); // empty: no path set
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("no path") << QString() << QByteArray()
                             << QStringLiteral("File strings XML not found");
    QTest::newRow("missing file") << QStringLiteral("none.xml") << QByteArray()
                                  << QStringLiteral("File strings XML not found");
    QTest::newRow("folder, not a file")
        << QStringLiteral(".") << QByteArray() << QStringLiteral("File strings XML not found");
    QTest::newRow("malformed") << QStringLiteral("bad.xml") << QByteArray("<a><b>x</a>")
                               << QStringLiteral("Error in reading file XML");
    QTest::newRow("empty file") << QStringLiteral("empty.xml") << QByteArray("")
                                << QStringLiteral("Error in reading file XML");
}

void TestTFSELstringhe::messages() {
    QFETCH(QString, name);
    QFETCH(QByteArray, text);
    QFETCH(QString, message);
    if (!name.isEmpty()) {
        const QString path = dir.path() + QLatin1Char('/') + name;
        if (name.endsWith(QLatin1String(".xml")) && name != QLatin1String("none.xml")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        }
        SelStringSettings().StringsFilePath = path;
    }
    showOnce();
    QCOMPARE(prompter.texts(), QStringList{message});
    QCOMPARE(prompter.entries.first().kind, RecordingPrompter::Kind::Message);
    // The dialog opens anyway, with its index column.
    QCOMPARE(dlg->Cell(0, 1000), QStringLiteral("999"));
    QCOMPARE(dlg->Cell(1, 1), QString());
}

void TestTFSELstringhe::threeChildrenFillRowsOneToThree() {
    SelStringSettings().StringsFilePath =
        stringsFile(dir.path(), QStringLiteral("five.xml"), {"a", "b", "c", "d", "e"});
    showOnce();
    QCOMPARE(dlg->Cell(1, 5), QStringLiteral("e"));
    SelStringSettings().StringsFilePath =
        stringsFile(dir.path(), QStringLiteral("three.xml"), {"zero", "one", "two"});
    showOnce();
    QCOMPARE(prompter.texts(), QStringList());
    QCOMPARE(dlg->Cell(1, 1), QStringLiteral("zero"));
    QCOMPARE(dlg->Cell(1, 2), QStringLiteral("one"));
    QCOMPARE(dlg->Cell(1, 3), QStringLiteral("two"));
    // Rows the shorter file does not reach keep the earlier strings.
    QCOMPARE(dlg->Cell(1, 4), QStringLiteral("d"));
    QCOMPARE(dlg->Cell(1, 5), QStringLiteral("e"));
    QCOMPARE(dlg->Cell(1, 6), QString());
}

void TestTFSELstringhe::selectionSurvivesToNextOpening() {
    SelStringSettings().StringsFilePath =
        stringsFile(dir.path(), QStringLiteral("s.xml"), {"a", "b", "c", "d", "e", "f", "g", "h"});
    showOnce();
    QCOMPARE(dlg->sg->currentRow() + 1, 1);
    // The user picks the row of index 7.
    QTest::mouseClick(dlg->sg->viewport(), Qt::LeftButton, {},
                      dlg->sg->visualItemRect(dlg->sg->item(7, 1)).center());
    dlg->sg->setCurrentCell(7, 1);
    QCOMPARE(dlg->Label1->text(), QStringLiteral("Sel str: 7"));
    QCOMPARE(SelStringSettings().SelectedStringIndex, 7);

    dlg->sg->setCurrentCell(0, 1);
    SelStringSettings().SelectedStringIndex = 7;
    showOnce();
    QCOMPARE(dlg->sg->currentRow() + 1, 8);
    QCOMPARE(dlg->Label1->text(), QStringLiteral("Sel str: 7"));

    // Process-wide: another instance preselects it too.
    TFSELstringhe second(prompter);
    second.show();
    QCOMPARE(second.sg->currentRow() + 1, 8);
    QCOMPARE(second.Label1->text(), QStringLiteral("Sel str: 7"));
    QCOMPARE(second.Cell(1, 8), QStringLiteral("h"));
}

void TestTFSELstringhe::overLimitShowsFirstThousand() {
    QStringList strings;
    for (int i = 0; i < 1250; ++i)
        strings.append(QStringLiteral("s%1").arg(i));
    SelStringSettings().StringsFilePath =
        stringsFile(dir.path(), QStringLiteral("big.xml"), strings);
    showOnce();
    QCOMPARE(dlg->RowCount(), 1001);
    QCOMPARE(dlg->Cell(1, 1), QStringLiteral("s0"));
    QCOMPARE(dlg->Cell(1, 1000), QStringLiteral("s999"));
    QCOMPARE(prompter.texts(),
             QStringList{QStringLiteral("The strings file holds 1250 strings: only the first 1000 "
                                        "are shown, 250 were left out.")});
}

void TestTFSELstringhe::buttons() {
    showOnce();
    QCOMPARE(dlg->bitbtn1->text(), QStringLiteral("OK"));
    QCOMPARE(dlg->bitbtn2->text(), QStringLiteral("Cancel"));
    dlg->show();
    dlg->bitbtn1->click();
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QVERIFY(!dlg->isVisible());
    dlg->show();
    dlg->bitbtn2->click();
    QCOMPARE(dlg->result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestTFSELstringhe)
#include "test_tfselstringhe.moc"

#include "common/RecordingPrompter.h"
#include "editors/TFGridTable.h"
#include "project/Workspace.h"

#include "TestSupport.h"
#include "XlsFixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

template <typename Dialog> struct DialogFixture {
    QTemporaryDir dir;
    Workspace ws;
    RecordingPrompter prompter;
    std::unique_ptr<Dialog> dialog;

    DialogFixture() {
        ws.ProjectFolder = dir.path();
        dialog = std::make_unique<Dialog>(ws, prompter);
    }
    void show() {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }
    // Types into a cell as a user would: the key opens the cell's editor, Enter commits it.
    void type(QTableView* grid, int row, int column, const QString& text) {
        QWidget* page = grid->parentWidget() && dialog->pages->indexOf(grid->parentWidget()) >= 0
                            ? grid->parentWidget()
                            : grid;
        dialog->pages->setCurrentWidget(page);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(row, column));
        QTest::keyClicks(grid, text.left(1));
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && editor != grid);
        QTest::keyClicks(editor, text.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate commits and closes the editor on a queued call; the closed editor is
        // deleted later still, and the next cell must not find it.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(grid->model()->index(row, column).data().toString(), text);
    }
};

} // namespace

class TestTFGridTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sdoLooksAsDesigned();
    void typeThenOk();
    void enterDoesNotClose();
    void importAndExport();
    void pdoResize();
};

void TestTFGridTable::sdoLooksAsDesigned() {
    DialogFixture<TFsdo> f;
    f.show();
    QCOMPARE(f.dialog->windowTitle(), QString("Set SDO Access"));
    QCOMPARE(f.dialog->pages->tabText(0), QString("SDO from CAN A request to CAN B"));
    QCOMPARE(f.dialog->pages->tabText(1), QString("SDO from CAN B request to CAN A"));
    for (QTableView* grid : {f.dialog->sga, f.dialog->sgb}) {
        f.dialog->pages->setCurrentWidget(grid->parentWidget());
        QCOMPARE(grid->model()->rowCount(), 1500);
        QCOMPARE(grid->model()->columnCount(), 9);
        QCOMPARE(grid->model()->headerData(3, Qt::Horizontal).toString(), QString("SubIndex"));
        QCOMPARE(grid->model()->index(1499, 0).data().toString(), QString("1499"));
        // A tenth of the grid's width per column.
        QTRY_COMPARE(grid->columnWidth(8), grid->width() / 10);
    }
    QVERIFY(f.prompter.entries.isEmpty()); // no table file: no message
}

void TestTFGridTable::typeThenOk() {
    DialogFixture<TFpdo> f;
    f.show();
    QCOMPARE(f.prompter.texts(), QStringList{"File XML not found"});
    f.type(f.dialog->sga, 0, 1, "0x181");
    f.type(f.dialog->sga, 0, 3, "1");
    f.dialog->bitbtn1->click();
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(readFile(f.dir.filePath("rpdodef.xml")),
             QByteArray("<rpdodef><row cobid=\"0x181\" id_dev_orig=\"\" en_bypass=\"3\" "
                        "posind=\"\" n_tpdo=\"\"/></rpdodef>"));
}

void TestTFGridTable::enterDoesNotClose() {
    DialogFixture<TFsdo> f;
    f.show();
    f.dialog->sga->setFocus();
    QTest::keyClick(f.dialog->sga, Qt::Key_Return);
    QVERIFY(f.dialog->isVisible());
    QVERIFY(!QFile::exists(f.dir.filePath("sdo.xml")));
}

void TestTFGridTable::importAndExport() {
    DialogFixture<TFsdo> f;
    const QString book = f.dir.filePath("in.xls");
    QVERIFY(MakeXls(book, {{"sdo", {{"h"}, {17, "0x1000", 1, 5, "0x2000", 2, 4, "m"}}}}));
    f.show();
    f.prompter.chooserAnswers.enqueue(std::nullopt);
    f.prompter.chooserAnswers.enqueue(book);
    f.dialog->bitbtn4->click(); // cancelled: nothing happens
    f.dialog->bitbtn4->click();
    QCOMPARE(f.prompter.entries.size(), 2);
    QCOMPARE(f.prompter.entries[1].kind, RecordingPrompter::Kind::ChooseFile);
    QCOMPARE(f.prompter.entries[1].extra,
             f.dir.path() + "|File EXCEL (*.xls);;Workbook (*.xlsx *.ods);;File CSV (*.csv)");
    QCOMPARE(f.dialog->sgb->model()->index(0, 1).data().toString(), QString("1"));
    QCOMPARE(f.dialog->sgb->model()->index(0, 8).data().toString(), QString("m"));
    f.dialog->button1->click();
    QVERIFY(f.dialog->isVisible());
    const QByteArray csv = readFile(f.dir.path() + "/sdo.csv");
    QCOMPARE(csv.count("\r\n"), 3002);
    QVERIFY(csv.contains("\r\n1,Index,Subindex,devID,Index,Subindex,nbyte,mnemonico,\r\n"
                         "17,0x1000,1,5,0x2000,2,4,m,\r\n"));
}

void TestTFGridTable::pdoResize() {
    DialogFixture<TFpdo> f;
    f.show();
    f.dialog->resize(700, 420);
    QTRY_COMPARE(f.dialog->sga->columnWidth(2), int(std::lround(f.dialog->sga->width() / 6.0)) - 5);
}

QTEST_MAIN(TestTFGridTable)
#include "test_tfgridtable.moc"

#include "common/RecordingPrompter.h"
#include "parameters/TFSetVar.h"
#include "parameters/TranslateTable.h"
#include "project/Workspace.h"

#include "TestSupport.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QByteArray fullTable() {
    QByteArray xml = "<TCP_TO_RTU>";
    for (int i = 0; i < kTranslateRows; ++i)
        xml += QStringLiteral("<row DATA_TYPE=\"%1\" TCP_ADDRESS=\"%2\" RTU_ADD_DEV=\"1\" "
                              "RTU_ADDRESS=\"%2\" N_POINT=\"8\" MNEMONIC=\"m%2\"/>")
                   .arg(i % 4 + 1)
                   .arg(i)
                   .toUtf8();
    return xml + "</TCP_TO_RTU>";
}

} // namespace

struct SetVarFixture {
    QTemporaryDir dir;
    Workspace ws;
    RecordingPrompter prompter;
    std::unique_ptr<TFSetVar> dialog;

    SetVarFixture() {
        ws.ProjectFolder = dir.path();
        RefreshProjectPaths(ws);
        dialog = std::make_unique<TFSetVar>(ws, prompter);
    }
    void show() {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }
};

class TestTFSetVar : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gridAndPickList();
    void editInPlaceAndSave();
    void cancelDiscardsEdits();
    void checkFailureKeepsDialogOpen();
    void deleteKeyEmptiesSelection();
    void fullTableLoadsAndSaves();
    void unreadFileIsReportedAndAsked();
    void resetTableForNewProject();
};

void TestTFSetVar::gridAndPickList() {
    SetVarFixture f;
    f.show();
    QCOMPARE(f.dialog->windowTitle(), QString("Set Translate Table"));
    QVERIFY(f.dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
    QTableView* grid = f.dialog->sga;
    QCOMPARE(grid->model()->rowCount(), 2000);
    QCOMPARE(grid->model()->headerData(5, Qt::Horizontal).toString(), QString("N° Point"));

    const QModelIndex type = grid->model()->index(0, ColDataType);
    grid->setCurrentIndex(type);
    grid->edit(type);
    auto* combo = qobject_cast<QComboBox*>(grid->indexWidget(type));
    QVERIFY(combo);
    QStringList offered;
    for (int i = 0; i < combo->count(); ++i)
        offered << combo->itemText(i);
    QCOMPARE(offered,
             QStringList({"Coil Status", "Input Status", "Holding Register", "Input Register"}));
    combo->setCurrentIndex(2);
    grid->itemDelegateForColumn(ColDataType)->setModelData(combo, grid->model(), type);
    QCOMPARE(f.dialog->model->cell(0, ColDataType), QString("Holding Register"));
}

void TestTFSetVar::editInPlaceAndSave() {
    SetVarFixture f;
    f.show();
    QTableView* grid = f.dialog->sga;
    f.dialog->model->setCell(0, ColDataType, "Input Register");
    // Typing into a selected cell edits it in place; Enter commits.
    const QStringList typed = {"$10", "3", "40", "5"};
    for (int c = 0; c < typed.size(); ++c) {
        grid->setCurrentIndex(grid->model()->index(0, ColTcpAddress + c));
        grid->setFocus();
        for (const QChar ch : typed[c])
            QTest::keyClicks(QApplication::focusWidget(), QString(ch));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents(); // the editor commits from the event loop
        QCOMPARE(f.dialog->model->cell(0, ColTcpAddress + c), typed[c]);
        QCOMPARE(QApplication::focusWidget(), grid);
    }
    // A cell still being edited when OK is clicked is part of what is saved.
    grid->setCurrentIndex(grid->model()->index(0, ColMnemonic));
    for (const QChar ch : QString("flow"))
        QTest::keyClicks(QApplication::focusWidget(), QString(ch));
    QVERIFY(QApplication::focusWidget() != grid);
    QTest::mouseClick(f.dialog->bitbtn1, Qt::LeftButton);
    QVERIFY(f.prompter.entries.isEmpty());
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(readFile(f.ws.VarPath),
             QByteArray("<TCP_TO_RTU><row DATA_TYPE=\"4\" TCP_ADDRESS=\"16\" RTU_ADD_DEV=\"3\" "
                        "RTU_ADDRESS=\"40\" N_POINT=\"5\" MNEMONIC=\"flow\"/></TCP_TO_RTU>"));
}

void TestTFSetVar::cancelDiscardsEdits() {
    SetVarFixture f;
    writeFile(f.ws.VarPath, "<TCP_TO_RTU><row DATA_TYPE=\"1\" TCP_ADDRESS=\"1\" RTU_ADD_DEV=\"1\" "
                            "RTU_ADDRESS=\"1\" N_POINT=\"1\" MNEMONIC=\"keep\"/></TCP_TO_RTU>");
    f.show();
    QCOMPARE(f.dialog->model->cell(0, ColMnemonic), QString("keep"));
    f.dialog->model->setCell(0, ColMnemonic, "edited");
    f.dialog->model->setCell(1, ColTcpAddress, "5");
    f.dialog->bitbtn2->click();
    QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
    f.show();
    QCOMPARE(f.dialog->model->cell(0, ColMnemonic), QString("keep"));
    QCOMPARE(f.dialog->model->cell(1, ColTcpAddress), QString());
}

void TestTFSetVar::checkFailureKeepsDialogOpen() {
    SetVarFixture f;
    f.show();
    f.dialog->model->setCell(0, ColDataType, "Coil Status");
    f.dialog->model->setCell(0, ColTcpAddress, "1");
    f.dialog->model->setCell(0, ColRtuAddDev, "256");
    QVERIFY(!f.dialog->SaveTranslateTable());
    QCOMPARE(f.prompter.texts(),
             QStringList{"Error!! Address Device RTU must be between 0 and 255. "});
    QVERIFY(f.dialog->isVisible());
    QVERIFY(!QFile::exists(f.ws.VarPath));
    QCOMPARE(f.dialog->model->cell(0, ColRtuAddDev), QString("256"));
}

void TestTFSetVar::deleteKeyEmptiesSelection() {
    SetVarFixture f;
    f.show();
    for (int c = ColDataType; c <= ColMnemonic; ++c)
        f.dialog->model->setCell(3, c, "x");
    QTableView* grid = f.dialog->sga;
    grid->setFocus();
    grid->selectionModel()->select(QItemSelection(grid->model()->index(3, ColTcpAddress),
                                                  grid->model()->index(3, ColRtuAddress)),
                                   QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(f.dialog->model->cell(3, ColDataType), QString("x"));
    QCOMPARE(f.dialog->model->cell(3, ColTcpAddress), QString());
    QCOMPARE(f.dialog->model->cell(3, ColRtuAddress), QString());
    QCOMPARE(f.dialog->model->cell(3, ColNPoint), QString("x"));
    QCOMPARE(f.dialog->model->cell(3, ColNumber), QString("4"));
}

void TestTFSetVar::fullTableLoadsAndSaves() {
    SetVarFixture f;
    const QByteArray xml = fullTable();
    writeFile(f.ws.VarPath, xml);
    QElapsedTimer timer;
    timer.start();
    f.show();
    f.dialog->sga->scrollToBottom();
    QCoreApplication::processEvents();
    QVERIFY(f.dialog->SaveTranslateTable());
    // Loose bound: a grid of one widget per cell would take far longer under the sanitizers.
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(f.dialog->model->cell(1999, ColMnemonic), QString("m1999"));
    QCOMPARE(readFile(f.ws.VarPath), xml);
}

void TestTFSetVar::unreadFileIsReportedAndAsked() {
    SetVarFixture f;
    writeFile(f.ws.VarPath, "<TCP_TO_RTU><row DATA_TYPE=\"1\"/></TCP_TO_RTU>");
    f.show();
    QCOMPARE(f.prompter.entries.size(), 1);
    QCOMPARE(f.prompter.entries[0].kind, RecordingPrompter::Kind::ErrorReport);
    QVERIFY(f.prompter.entries[0].text.startsWith("Row 1 of \""));
    QCOMPARE(f.dialog->model->cell(0, ColDataType), QString("Coil Status")); // kept so far
    f.dialog->model->clear();
    QVERIFY(!f.dialog->SaveTranslateTable()); // answered No
    QCOMPARE(f.prompter.entries.last().kind, RecordingPrompter::Kind::Question);
    QCOMPARE(readFile(f.ws.VarPath), QByteArray("<TCP_TO_RTU><row DATA_TYPE=\"1\"/></TCP_TO_RTU>"));
}

void TestTFSetVar::resetTableForNewProject() {
    SetVarFixture f;
    writeFile(f.ws.VarPath, "<TCP_TO_RTU><row");
    f.show();
    f.dialog->model->setCell(0, ColTcpAddress, "12");
    f.dialog->bitbtn2->click();
    f.prompter.clear();
    // A new project: the dialog is hidden and stores an empty table without asking.
    f.ws.ProjectFolder = f.dir.filePath("");
    f.ws.VarPath = f.dir.filePath("new-var.xml");
    f.dialog->ResetTable();
    QVERIFY(f.dialog->SaveTranslateTable());
    QVERIFY(f.prompter.entries.isEmpty());
    QCOMPARE(readFile(f.ws.VarPath), QByteArray("<TCP_TO_RTU/>"));
}

QTEST_MAIN(TestTFSetVar)
#include "test_tfsetvar.moc"

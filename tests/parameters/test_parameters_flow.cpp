// The user's road through the main window: new project, general parameters, restart.
#include "common/RecordingPrompter.h"
#include "parameters/GeneralParameters.h"
#include "parameters/TFSetVar.h"
#include "parameters/TFpargen.h"
#include "shell/TFQuenzoreFirmWare.h"
#include "shell/TFsaveproj.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Types text as a user would: each key goes to whichever field has the focus then.
void typeText(const QString& text) {
    for (const QChar c : text)
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
}

} // namespace

class TestParametersFlow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newProjectThenGeneralParameters();
    void translateTableCommand();
    void newProjectWhenPargenCannotBeWritten();

private:
    struct Fixture : MainWindowFixture {
        QStringList shown; // titles of the dialogs run, in order
        QString address = "192.168.10.20";
        void start() {
            MainWindowFixture::start();
            window->execDialog = [this](QDialog* d) { return run(d); };
        }
        int run(QDialog* d) {
            shown << d->windowTitle();
            d->show();
            if (!QTest::qWaitForWindowActive(d))
                return -1;
            if (auto* project = qobject_cast<TFsaveproj*>(d)) {
                typeText("Plant1");
                QTest::mouseClick(project->bitbtn1, Qt::LeftButton);
            } else if (auto* pargen = qobject_cast<TFpargen*>(d)) {
                if (address.isEmpty()) {
                    pargen->bitbtn2->click();
                } else {
                    if (!QApplication::focusWidget())
                        return -1;
                    typeText(address);
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                }
            } else {
                d->reject();
            }
            return d->isVisible() ? -1 : d->result();
        }
    };
};

void TestParametersFlow::newProjectThenGeneralParameters() {
    Fixture f;
    f.start();
    f.window->btn_Translate->setEnabled(false);
    f.window->Edit1->setText("1.1.1.1");

    f.window->New->click();
    QCOMPARE(f.shown, QStringList{"New project"});
    QVERIFY(f.prompter.entries.isEmpty());
    QCOMPARE(f.window->windowTitle(), QString("Velmara Quenzor SW93051 TCP2Korvane :Plant1"));
    QCOMPARE(readFile(f.ws.PargenPath), ParametersXml(WriteParameterDefaults()));
    QCOMPARE(readFile(f.ws.VarPath), QByteArray("<TCP_TO_RTU/>"));
    QCOMPARE(f.window->Edit1->text(), QString("0.0.0.0"));
    QVERIFY(f.window->btn_Translate->isEnabled());

    f.window->btn_Prm_Gen->click();
    QCOMPARE(f.shown.last(), QString("General Parameter"));
    QVERIFY(f.prompter.entries.isEmpty());
    const GeneralParameters saved = LoadParameters(f.ws.PargenPath).values;
    QCOMPARE(PingAddress(saved), QString("192.168.10.20"));
    QCOMPARE(saved.snmpPublic, QString("halvik"));
    QVERIFY(readFile(f.ws.PargenPath)
                .startsWith("<General_Parameter><TCP_IP1>192</TCP_IP1><TCP_IP2>168</TCP_IP2>"
                            "<TCP_IP3>10</TCP_IP3><TCP_IP4>20</TCP_IP4><TCP_SUB1>255</TCP_SUB1>"));
    QCOMPARE(f.window->Edit1->text(), QString("192.168.10.20"));
    QVERIFY(f.window->btn_Translate->isEnabled());

    // A wrong address: the box, nothing written, the dialog stays, the ping address follows.
    const QByteArray before = readFile(f.ws.PargenPath);
    f.address = "300.1.2.3";
    f.window->btn_Prm_Gen->click();
    QCOMPARE(f.prompter.texts(), QStringList{"Error!! IP must be between 0 and 255. "});
    QCOMPARE(readFile(f.ws.PargenPath), before);
    QCOMPARE(f.window->Edit1->text(), QString("300.1.2.3"));
    QVERIFY(f.window->FPargen->isVisible());
    f.window->FPargen->bitbtn2->click();

    // Restart: the project is reopened and the dialog shows what was saved.
    f.window->close();
    f.window.reset();
    f.prompter.clear();
    f.start();
    QCOMPARE(f.window->windowTitle(),
             QString("Velmara Quenzor SW93051 TCP2Korvane : ") + QDir::separator() + "Plant1");
    f.address.clear(); // look, then Cancel
    f.window->btn_Prm_Gen->click();
    QCOMPARE(f.window->FPargen->E_IP1->text(), QString("192"));
    QCOMPARE(f.window->FPargen->E_IP4->text(), QString("20"));
    QCOMPARE(readFile(f.ws.PargenPath), before);
    QVERIFY(f.prompter.entries.isEmpty());
}

void TestParametersFlow::translateTableCommand() {
    Fixture f;
    f.start();
    f.window->CommonCommand(f.window->btn_Translate);
    QCOMPARE(f.shown, QStringList{"Set Translate Table"});
    // With no current project the command is refused before any dialog.
    f.ws.ProjectFolder.clear();
    f.window->CommonCommand(f.window->btn_Prm_Gen);
    QCOMPARE(f.shown.size(), 1);
    QCOMPARE(f.prompter.texts(), QStringList{"Project not valid"});
}

void TestParametersFlow::newProjectWhenPargenCannotBeWritten() {
    Fixture f;
    f.start();
    f.window->Edit1->setText("1.1.1.1");
    f.window->btn_Translate->setEnabled(false);
    f.ws.PargenPath = f.dir.filePath("absent/pargen.xml");
    f.ws.VarPath = f.dir.filePath("var.xml");
    QVERIFY(!f.window->FSaveproj->writeProjectFiles());
    QCOMPARE(f.prompter.entries.size(), 1);
    QCOMPARE(f.prompter.entries[0].kind, RecordingPrompter::Kind::ErrorReport);
    QVERIFY(f.prompter.entries[0].text.startsWith("Cannot create file"));
    QCOMPARE(f.window->Edit1->text(), QString("1.1.1.1"));
    QVERIFY(!f.window->btn_Translate->isEnabled());
    QVERIFY(!QFile::exists(f.ws.VarPath));
}

QTEST_MAIN(TestParametersFlow)
#include "test_parameters_flow.moc"

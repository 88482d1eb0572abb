#include "common/RecordingPrompter.h"
#include "shell/TFQuenzoreFirmWare.h"
#include "shell/TFsaveproj.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString sep() {
    return QString(QDir::separator());
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void titleForms();
    void newProjectTitles();
    void translateButtonFollowsMode_data();
    void translateButtonFollowsMode();
    void openDeletedProjectThenCancel();
    void openProjectsFolderItself();
    void closeWritesSettings();
    void closeWhenSettingsCannotBeWritten();
    void newProjectMessages_data();
    void newProjectMessages();
    void newProjectCancelAfterFailedOk();
    void editXmlMode();
    void webLink();
    void hiddenControls();

private:
    struct Fixture : MainWindowFixture {
        QString projects() const { return dir.path() + "/PROJECTS"; }
    };
};

void TestMainWindow::titleForms() {
    Fixture f;
    f.start();
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Velmara Quenzor SW93051 TCP2Korvane"));

    Fixture g;
    QDir().mkpath(g.projects() + "/Plant1");
    writeFile(g.dir.path() + "/Quenzor.ini", "[lastproj]\nprojectname=Plant1\n");
    g.start();
    QCOMPARE(g.window->windowTitle(),
             QStringLiteral("Velmara Quenzor SW93051 TCP2Korvane : ") + sep() + "Plant1");

    // Open project on the same folder: no blank after the colon.
    g.prompter.chooserAnswers.enqueue(QDir::toNativeSeparators(g.projects() + "/Plant1"));
    g.window->openClick();
    QCOMPARE(g.window->windowTitle(),
             QStringLiteral("Velmara Quenzor SW93051 TCP2Korvane :") + sep() + "Plant1");
    QCOMPARE(g.prompter.entries.first().text, QStringLiteral("Select directory of project"));
    QCOMPARE(g.ws.PargenPath, g.ws.ProjectFolder + sep() + "pargen.xml");
}

void TestMainWindow::newProjectTitles() {
    Fixture f;
    writeFile(f.dir.path() + "/Quenzor.ini", "[lastproj]\nprojectname=Old\n");
    f.start();
    // Cancel after a start without a reopened project: plain title becomes the colon form.
    f.window->execDialog = [](QDialog* d) {
        d->show();
        static_cast<TFsaveproj*>(d)->bitbtn2->click();
        return d->result();
    };
    f.window->NewClick();
    QCOMPARE(f.window->windowTitle(),
             QStringLiteral("Velmara Quenzor SW93051 TCP2Korvane :") + sep() + "Old");

    f.window->execDialog = [](QDialog* d) {
        d->show();
        auto* dlg = static_cast<TFsaveproj*>(d);
        QTest::keyClicks(dlg->Edit1, "Plant1");
        dlg->bitbtn1->click();
        return d->result();
    };
    f.window->NewClick();
    QCOMPARE(f.window->windowTitle(),
             QStringLiteral("Velmara Quenzor SW93051 TCP2Korvane :Plant1"));
    QCOMPARE(f.ws.ProjectName, QStringLiteral("Plant1"));
    QVERIFY(QFileInfo(f.projects() + "/Plant1/bin").isDir());
    QCOMPARE(f.ws.ProjectFolder, QDir::toNativeSeparators(f.projects() + "/Plant1"));
    QCOMPARE(f.ws.VarPath, f.ws.ProjectFolder + sep() + "var.xml");
    QVERIFY(f.prompter.entries.isEmpty());
}

void TestMainWindow::translateButtonFollowsMode_data() {
    QTest::addColumn<QByteArray>("pargen"); // empty: no file
    QTest::addColumn<bool>("enabled");
    auto file = [](const char* mode) {
        return QByteArray("<General_Parameter><BAUD>6</BAUD>") + mode + "</General_Parameter>";
    };
    QTest::newRow("MODE 0") << file("<MODE>0</MODE>") << false;
    QTest::newRow("MODE $0") << file("<MODE>$0</MODE>") << false;
    QTest::newRow("MODE 1") << file("<MODE>1</MODE>") << true;
    QTest::newRow("MODE 7") << file("<MODE>7</MODE>") << true;
    QTest::newRow("MODE -1") << file("<MODE>-1</MODE>") << true;
    QTest::newRow("MODE abc") << file("<MODE>abc</MODE>") << true;
    QTest::newRow("MODE empty") << file("<MODE/>") << true;
    QTest::newRow("no MODE") << file("") << true;
    QTest::newRow("mode lower case") << file("<mode>0</mode>") << true;
    QTest::newRow("declaration and blanks")
        << QByteArray("<?xml version=\"1.0\"?>\n<General_Parameter>\n  "
                      "<MODE>0</MODE>\n</General_Parameter>\n")
        << false;
    QTest::newRow("not well-formed") << QByteArray("<General_Parameter><MODE>0</MODE>") << true;
    QTest::newRow("no file") << QByteArray() << true;
}

void TestMainWindow::translateButtonFollowsMode() {
    QFETCH(QByteArray, pargen);
    QFETCH(bool, enabled);
    Fixture f;
    QDir().mkpath(f.projects() + "/P");
    writeFile(f.dir.path() + "/Quenzor.ini", "[lastproj]\nprojectname=P\n");
    if (!pargen.isEmpty())
        writeFile(f.projects() + "/P/pargen.xml", pargen);
    f.start();
    QCOMPARE(f.window->btn_Translate->isEnabled(), enabled);
    QVERIFY(f.prompter.entries.isEmpty());
}

void TestMainWindow::openDeletedProjectThenCancel() {
    Fixture f;
    QDir().mkpath(f.projects() + "/Plant1");
    writeFile(f.dir.path() + "/Quenzor.ini", "[lastproj]\nprojectname=Plant1\n");
    f.start();
    QVERIFY(QDir(f.projects() + "/Plant1").removeRecursively());
    f.window->openClick(); // no queued answer: the chooser is cancelled
    QCOMPARE(f.ws.ProjectFolder, QString());
    QCOMPARE(f.ws.ProjectName, QString());
    QVERIFY(f.window->windowTitle().endsWith(QLatin1Char(':')));
    // The chooser was offered no vanished folder to pre-select.
    QCOMPARE(f.prompter.entries.first().extra,
             QDir::toNativeSeparators(f.projects()) + QStringLiteral("|"));
    f.prompter.clear();
    f.window->btn_Prm_Gen->click();
    QCOMPARE(f.prompter.texts(), QStringList{"Project not valid"});
    f.prompter.clear();
    f.window->CreateBin->click();
    QCOMPARE(f.prompter.texts(), QStringList{"Project not valid"});
    QVERIFY(!QFile::exists(f.projects() + "/bin"));
}

void TestMainWindow::openProjectsFolderItself() {
    Fixture f;
    f.start();
    f.prompter.chooserAnswers.enqueue(QDir::toNativeSeparators(f.projects()));
    f.window->openClick();
    QCOMPARE(f.ws.ProjectName, QString());
    QCOMPARE(f.ws.ProjectFolder, f.ws.ProjectsFolder);
}

void TestMainWindow::closeWritesSettings() {
    Fixture f;
    f.start();
    f.ws.ProjectName = "Plant1";
    f.window->show();
    QVERIFY(f.window->close());
    QSettings ini(f.dir.path() + "/Quenzor.ini", QSettings::IniFormat);
    QCOMPARE(ini.value("lastproj/projectname").toString(), QStringLiteral("Plant1"));
    QVERIFY(f.prompter.entries.isEmpty());
}

void TestMainWindow::closeWhenSettingsCannotBeWritten() {
    Fixture f;
    f.start();
    QVERIFY(QDir(f.dir.path()).mkdir("Quenzor.ini"));
    f.window->show();
    QVERIFY(f.window->close());
    QCOMPARE(f.prompter.texts().size(), 1);
    QVERIFY(f.prompter.texts().first().contains("Quenzor.ini"));
    QCOMPARE(f.prompter.entries.first().kind, RecordingPrompter::Kind::Message);
}

void TestMainWindow::newProjectMessages_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("destination"); // "-" for the projects folder
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("created");
    const QStringList invalid{"Name project not valid"};
    QTest::newRow("empty") << ""
                           << "-" << invalid << false;
    QTest::newRow("existing")
        << "Existing"
        << "-" << QStringList{"Name project not valid because directory already exists"} << false;
    QTest::newRow("slash") << "a/b"
                           << "-" << invalid << false;
    QTest::newRow("backslash") << "a\\b"
                               << "-" << invalid << false;
    QTest::newRow("dot") << "."
                         << "-" << invalid << false;
    QTest::newRow("dot dot") << ".."
                             << "-" << invalid << false;
    QTest::newRow("no destination and no name")
        << ""
        << "" << QStringList{"directory destination not valid", "Name project not valid"} << false;
    QTest::newRow("blanks kept") << " Plant 2 "
                                 << "-" << QStringList{} << true;
}

void TestMainWindow::newProjectMessages() {
    QFETCH(QString, name);
    QFETCH(QString, destination);
    QFETCH(QStringList, messages);
    QFETCH(bool, created);
    Fixture f;
    QDir().mkpath(f.projects() + "/Existing");
    f.start();
    const QStringList before =
        QDir(f.projects()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    TFsaveproj* dlg = f.window->FSaveproj;
    dlg->ProjectDialogMode = TFsaveproj::NewProject;
    dlg->NewProjectDestination = destination == "-" ? f.ws.ProjectsFolder : destination;
    dlg->show();
    dlg->Edit1->setText(name);
    dlg->bitbtn1->click();
    QCOMPARE(f.prompter.texts(), messages);
    QCOMPARE(dlg->isVisible(), !created);
    const QStringList after = QDir(f.projects()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    if (created) {
        QVERIFY(QFileInfo(f.projects() + "/" + name + "/bin").isDir());
        QCOMPARE(f.ws.ProjectName, name);
    } else {
        QCOMPARE(after, before);
        QCOMPARE(f.ws.ProjectFolder, f.ws.ProjectsFolder);
    }
}

void TestMainWindow::newProjectCancelAfterFailedOk() {
    Fixture f;
    f.start();
    const Workspace before = f.ws;
    TFsaveproj* dlg = f.window->FSaveproj;
    dlg->ProjectDialogMode = TFsaveproj::NewProject;
    dlg->NewProjectDestination = f.ws.ProjectsFolder;
    dlg->show();
    dlg->bitbtn1->click();
    QVERIFY(dlg->isVisible());
    dlg->bitbtn2->click();
    QVERIFY(!dlg->isVisible());
    QCOMPARE(dlg->result(), int(QDialog::Rejected));
    QCOMPARE(f.ws.ProjectFolder, before.ProjectFolder);
    QCOMPARE(f.ws.ProjectName, before.ProjectName);
}

void TestMainWindow::editXmlMode() {
    Fixture f;
    f.start();
    TFsaveproj* dlg = f.window->FSaveproj;
    dlg->ProjectDialogMode = TFsaveproj::EditXml;
    dlg->Edit1->setText("price = 12");
    dlg->show();
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Edit XML"));
    QVERIFY(dlg->Label1->isHidden());
    QCOMPARE(dlg->Edit1->text(), QStringLiteral("price = 12"));
    dlg->Edit1->clear();
    dlg->bitbtn1->click();
    QVERIFY(!dlg->isVisible());
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QVERIFY(f.prompter.entries.isEmpty());
    QCOMPARE(QDir(f.projects()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    // Back in NewProject mode the label returns and the field is emptied.
    dlg->ProjectDialogMode = TFsaveproj::NewProject;
    dlg->Edit1->setText("left over");
    dlg->show();
    QCOMPARE(dlg->windowTitle(), QStringLiteral("New project"));
    QVERIFY(!dlg->Label1->isHidden());
    QCOMPARE(dlg->Edit1->text(), QString());
}

void TestMainWindow::webLink() {
    Fixture f;
    f.start();
    QList<QUrl> opened;
    f.window->openUrl = [&](const QUrl& u) { opened.append(u); };
    f.window->Label6Click();
    QCOMPARE(opened, QList<QUrl>{kProductWebPage});
}

void TestMainWindow::hiddenControls() {
    Fixture f;
    f.start();
    f.window->show();
    for (QPushButton* b : {f.window->New, f.window->open, f.window->btn_Prm_Gen,
                           f.window->CreateBin, f.window->about, f.window->LbButton1})
        QVERIFY2(b->isVisible(), qPrintable(b->text()));
    for (QPushButton* b :
         {f.window->CreateSx, f.window->btn_Translate, f.window->btn_Emcy_Wd, f.window->btn_Pdo,
          f.window->btn_Emcy, f.window->btn_Info_Pdo, f.window->Btn_Ping})
        QVERIFY2(!b->isVisible(), qPrintable(b->text()));
    QCOMPARE(f.window->Edit1->text(), QStringLiteral("0.0.0.0"));
    QCOMPARE(f.window->btn_Pdo->text(), QStringLiteral("Set Traslate PDO"));
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"

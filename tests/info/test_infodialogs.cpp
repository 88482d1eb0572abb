#include "common/RecordingPrompter.h"
#include "info/ProductInfo.h"
#include "info/TFAbout.h"
#include "info/TFHelp.h"
#include "ping/TFPing.h"
#include "project/Workspace.h"
#include "shell/TFQuenzoreFirmWare.h"
#include "shell/TFsaveproj.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

#include <memory>

namespace {

bool boldSomewhere(const QTextEdit* edit, const QString& word) {
    for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(word))
                return it.fragment().charFormat().fontWeight() >= QFont::Bold;
    return false;
}

// The Help dialog on a temporary program folder.
struct HelpFixture {
    QTemporaryDir dir;
    Workspace ws;
    RecordingPrompter prompter;
    std::unique_ptr<TFHelp> help;
    HelpFixture() {
        ws = BuildWorkspace(dir.path());
        help = std::make_unique<TFHelp>(ws, prompter);
    }
};

} // namespace

class TestInfoDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void helpMissing();
    void helpReadAtEveryShowing();
    void hangingIndentLinesUp();
    void aboutTexts();
    void aboutLinks();
    void aboutOk();
    void mainWindowCreatesAndOpens();
};

void TestInfoDialogs::helpMissing() {
    HelpFixture f;
    TFHelp& help = *f.help;
    QCOMPARE(help.windowTitle(), QStringLiteral("Help"));
    help.RichEdit1->setPlainText(QStringLiteral("left over"));
    help.show();
    QCOMPARE(f.prompter.texts(), QStringList{QStringLiteral("Impossible to read file Help")});
    QCOMPARE(f.prompter.entries.first().kind, RecordingPrompter::Kind::Message);
    QVERIFY(help.RichEdit1->toPlainText().isEmpty());
    QVERIFY(help.isVisible()); // it still opens, empty
    QVERIFY(help.RichEdit1->isReadOnly());
}

void TestInfoDialogs::helpReadAtEveryShowing() {
    HelpFixture f;
    TFHelp& help = *f.help;
    const QString path = f.dir.path() + "/help2.dat";

    writeFile(path, "{\\rtf1 {\\b Step} one\\par Two}");
    help.show();
    QCOMPARE(help.RichEdit1->toPlainText(), QStringLiteral("Step one\nTwo"));
    QVERIFY(boldSomewhere(help.RichEdit1, "Step"));
    help.hide();

    writeFile(path, "{\\b not rich} caf\xe9");
    help.show();
    QCOMPARE(help.RichEdit1->toPlainText(), QStringLiteral("{\\b not rich} caf\u00e9"));
    QVERIFY(!boldSomewhere(help.RichEdit1, "not rich"));
    help.hide();

    QVERIFY(QFile::remove(path));
    help.show();
    QVERIFY(help.RichEdit1->toPlainText().isEmpty());
    QCOMPARE(f.prompter.texts(), QStringList{QStringLiteral("Impossible to read file Help")});
}

void TestInfoDialogs::hangingIndentLinesUp() {
    HelpFixture f;
    TFHelp& help = *f.help;
    help.resize(300, 400);
    const QByteArray longText = QByteArray("words ").repeated(40);
    writeFile(f.dir.path() + "/help2.dat",
              "{\\rtf1\\pard\\fi-300\\li300\\bullet\\tab " + longText + "\\par\\pard a\\tab b}");
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    const QTextBlock bullet = help.RichEdit1->document()->begin();
    QTextLayout* layout = bullet.layout();
    QVERIFY(layout->lineCount() > 1);
    // The text after the tab starts where the wrapped lines start.
    QCOMPARE(layout->lineAt(0).cursorToX(2),
             layout->lineAt(1).cursorToX(layout->lineAt(1).textStart()));
    QVERIFY(layout->lineAt(0).cursorToX(0) < layout->lineAt(0).cursorToX(2));
    // A paragraph without a hanging line keeps the default tab stops.
    QVERIFY(bullet.next().blockFormat().tabPositions().isEmpty());
}

void TestInfoDialogs::aboutTexts() {
    TFAbout about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About..."));
    QCOMPARE(about.Label1->text(), QStringLiteral("Quenzor SW93051"));
    QVERIFY(about.Label1->font().bold());
    QCOMPARE(about.Label2->text(), QStringLiteral("Modbus TCP Slave to Korvane"));
    QCOMPARE(about.Label3->text(), QStringLiteral("Version 1.001"));
    QCOMPARE(about.LbButton1->text(), QStringLiteral("OK"));
    QVERIFY(about.Label4->text().contains(QStringLiteral("href=\"%1\"").arg(kMakerWebPage)));
    QVERIFY(about.Label4->isVisibleTo(&about));
    QVERIFY(!about.Label5->isVisibleTo(&about));
    QVERIFY(about.Label5->text().contains(QStringLiteral("mailto:") + kMakerSupportMail));
    const QPixmap picture = about.Image2->pixmap();
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.width(), picture.height());
    QCOMPARE(about.Image2->width(), about.Image2->height());
}

void TestInfoDialogs::aboutLinks() {
    TFAbout about;
    QList<QUrl> opened;
    about.openUrl = [&](const QUrl& url) { opened << url; };
    Q_EMIT about.Label4->linkActivated(kMakerWebPage);
    about.Label5Click();
    QCOMPARE(opened, (QList<QUrl>{QUrl(kMakerWebPage), QUrl("mailto:" + kMakerSupportMail)}));
}

void TestInfoDialogs::aboutOk() {
    TFAbout about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QTest::mouseClick(about.LbButton1, Qt::LeftButton);
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
    QCOMPARE(about.Label1->text(), QStringLiteral("Quenzor SW93051"));
    QCOMPARE(about.windowTitle(), QStringLiteral("About..."));
}

void TestInfoDialogs::mainWindowCreatesAndOpens() {
    MainWindowFixture f;
    f.start();
    TFQuenzoreFirmWare& window = *f.window;
    QVERIFY(window.FHelp && window.FAbout && window.FPing);
    QCOMPARE(window.FHelp->windowTitle(), QStringLiteral("Help"));
    QCOMPARE(window.FAbout->windowTitle(), QStringLiteral("About..."));
    QCOMPARE(window.FPing->windowTitle(), QStringLiteral("Ping!"));
    for (QDialog* d : {static_cast<QDialog*>(window.FHelp), static_cast<QDialog*>(window.FAbout),
                       static_cast<QDialog*>(window.FPing)})
        QVERIFY(!d->isVisible());

    // Start-up order: New project, Help, About, ..., and the ping result last of all.
    QList<QDialog*> order;
    for (QObject* child : window.children())
        if (auto* d = qobject_cast<QDialog*>(child))
            order << d;
    QVERIFY(order.size() >= 4);
    QCOMPARE(order.indexOf(window.FHelp),
             order.indexOf(static_cast<QDialog*>(window.FSaveproj)) + 1);
    QCOMPARE(order.indexOf(window.FAbout), order.indexOf(window.FHelp) + 1);
    QCOMPARE(order.last(), static_cast<QDialog*>(window.FPing));

    // About opens the About dialog, with or without a project; its link is the window's.
    QList<QDialog*> shown;
    window.execDialog = [&](QDialog* d) {
        shown << d;
        return int(QDialog::Accepted);
    };
    QList<QUrl> opened;
    window.openUrl = [&](const QUrl& url) { opened << url; };
    f.ws.ProjectFolder.clear();
    window.about->click();
    QCOMPARE(shown, QList<QDialog*>{window.FAbout});
    window.FAbout->Label4Click();
    QCOMPARE(opened, QList<QUrl>{QUrl(kMakerWebPage)});
    QVERIFY(f.prompter.texts().isEmpty());
}

QTEST_MAIN(TestInfoDialogs)
#include "test_infodialogs.moc"

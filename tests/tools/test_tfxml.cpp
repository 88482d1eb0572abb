#include "common/RecordingPrompter.h"
#include "project/Workspace.h"
#include "shell/TFQuenzoreFirmWare.h"
#include "shell/TFsaveproj.h"
#include "tools/TFSELstringhe.h"
#include "tools/TFXML.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

QStringList captions(const QTreeWidget* tree) {
    QStringList out;
    QList<const QTreeWidgetItem*> pending;
    for (int i = tree->topLevelItemCount() - 1; i >= 0; --i)
        pending.append(tree->topLevelItem(i));
    while (!pending.isEmpty()) {
        const QTreeWidgetItem* item = pending.takeLast();
        out.append(item->text(0));
        for (int i = item->childCount() - 1; i >= 0; --i)
            pending.append(item->child(i));
    }
    return out;
}

} // namespace

class TestTFXML : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void openShowsTree_data();
    void openShowsTree();
    void openFailuresKeepTree_data();
    void openFailuresKeepTree();
    void showEmptiesTree();
    void fullExpand();
    void editCaption_data();
    void editCaption();
    void editWithoutSelectionDoesNothing();
    void editThroughNewProjectDialog();
    void writeIntoProjectFolder();
    void writeRoundTrip();
    void writeFailuresAreReported_data();
    void writeFailuresAreReported();
    void tenDistinctImages();
    void deepDocument();
    void mainWindowWiring();

private:
    void open(const QString& path) {
        prompter->chooserAnswers.enqueue(path);
        dlg->btnOpenClick();
    }

    QTemporaryDir dir;
    Workspace ws;
    RecordingPrompter* prompter = nullptr;
    TFsaveproj* editor = nullptr;
    TFXML* dlg = nullptr;
    std::function<int(QDialog*)> execEditor; // how the caption editor is run
    int edits = 0;
    QString editorText;           // what the editor showed
    std::optional<QString> typed; // what the user types; nullopt is Cancel
};

void TestTFXML::init() {
    QVERIFY(dir.isValid());
    ws = BuildWorkspace(QDir::toNativeSeparators(dir.path()));
    ws.ProjectFolder = ws.ProjectsFolder + QStringLiteral("/P1");
    QVERIFY(QDir().mkpath(ws.ProjectFolder));
    QVERIFY(QDir().mkpath(dir.path() + QStringLiteral("/data")));
    prompter = new RecordingPrompter;
    editor = new TFsaveproj(ws, *prompter);
    dlg = new TFXML(ws, *prompter, [this](const QString& caption) {
        return editor->EditCaption(caption, [this](QDialog* d) { return execEditor(d); });
    });
    edits = 0;
    typed.reset();
    execEditor = [this](QDialog* d) {
        ++edits;
        auto* e = qobject_cast<TFsaveproj*>(d);
        if (!e || e->ProjectDialogMode != TFsaveproj::EditXml)
            return -1;
        editorText = e->Edit1->text();
        if (!typed)
            return int(QDialog::Rejected);
        e->Edit1->setText(*typed);
        return int(QDialog::Accepted);
    };
}

void TestTFXML::cleanup() {
    delete dlg;
    delete editor;
    delete prompter;
    QDir(dir.path()).removeRecursively();
    QDir().mkpath(dir.path());
}

void TestTFXML::openShowsTree_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QList<int>>("images");

    QTest::newRow("price") << QByteArray("<price>12</price>")
                           << QStringList{"File: x.xml", "price = 12"} << QList<int>{0, 2};
    QTest::newRow("declaration at index 1")
        << QByteArray("<?xml version=\"1.0\"?>\n<a b='1'><?p d?></a>")
        << QStringList{"File: x.xml", "XMLDeclaration", "version = 1.0",
                       "a",           "b = 1",          "pProcessingInstruction = d"}
        << QList<int>{0, 8, 4, 2, 4, 6};
}

void TestTFXML::openShowsTree() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, expected);
    QFETCH(QList<int>, images);
    const QString path = writeFileOrAbort(dir.path() + QStringLiteral("/data/x.xml"), text);
    bool enabledWhileChoosing = true;
    prompter->onEntry = [&](const RecordingPrompter::Entry& e) {
        if (e.kind == RecordingPrompter::Kind::ChooseFile)
            enabledWhileChoosing = dlg->btnopen->isEnabled();
    };
    open(path);
    QCOMPARE(prompter->texts(), QStringList());
    QCOMPARE(prompter->entries.first().text, QStringLiteral("Open XML File"));
    QVERIFY(prompter->entries.first().extra.endsWith(QStringLiteral("|XML Files (*.xml)")));
    QVERIFY(!enabledWhileChoosing);
    QVERIFY(dlg->btnopen->isEnabled());
    QCOMPARE(captions(dlg->TvXml), expected);
    QList<int> shown;
    for (const TXmlTreeRow& row : dlg->TreeRows())
        shown.append(row.ImageIndex);
    QCOMPARE(shown, images);
    QCOMPARE(dlg->TvXml->topLevelItemCount(), 1);
}

void TestTFXML::openFailuresKeepTree_data() {
    QTest::addColumn<QString>("name"); // empty: the chooser is cancelled
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("report");

    QTest::newRow("cancelled") << QString() << QByteArray() << QString();
    QTest::newRow("syntax error") << QStringLiteral("bad.xml") << QByteArray("<a><b></a>")
                                  << QStringLiteral(
                                         "End tag name \"a\" does not match start tag name \"b\"");
    QTest::newRow("unreadable") << QStringLiteral("missing.xml") << QByteArray()
                                << QStringLiteral("Cannot open file \"%1\". ");
}

void TestTFXML::openFailuresKeepTree() {
    QFETCH(QString, name);
    QFETCH(QByteArray, text);
    QFETCH(QString, report);
    open(writeFileOrAbort(dir.path() + QStringLiteral("/data/x.xml"), "<price>12</price>"));
    const QStringList before = captions(dlg->TvXml);
    prompter->clear();

    const QString path = dir.path() + QStringLiteral("/data/") + name;
    if (name.isEmpty())
        dlg->btnOpenClick(); // no queued answer: cancelled
    else {
        if (!text.isEmpty())
            writeFileOrAbort(path, text);
        open(path);
    }
    QCOMPARE(captions(dlg->TvXml), before);
    QVERIFY(dlg->btnopen->isEnabled());
    if (report.isEmpty()) {
        QCOMPARE(prompter->texts(), QStringList());
    } else {
        QCOMPARE(prompter->texts().size(), 1);
        QCOMPARE(prompter->entries.last().kind, RecordingPrompter::Kind::ErrorReport);
        const QString expected = report.contains(QLatin1String("%1"))
                                     ? report.arg(QDir::toNativeSeparators(path))
                                     : report;
        QVERIFY2(prompter->texts().first().startsWith(expected),
                 qPrintable(prompter->texts().first()));
    }
}

void TestTFXML::showEmptiesTree() {
    open(writeFileOrAbort(dir.path() + QStringLiteral("/data/x.xml"), "<a/>"));
    QCOMPARE(dlg->TvXml->topLevelItemCount(), 1);
    dlg->show();
    QCOMPARE(dlg->TvXml->topLevelItemCount(), 0);
    QCOMPARE(dlg->windowTitle(), QStringLiteral("XML Reader & Writer"));
    QCOMPARE(dlg->btnopen->text(), QStringLiteral("Open "));
    dlg->hide();
}

void TestTFXML::fullExpand() {
    open(writeFileOrAbort(dir.path() + QStringLiteral("/data/x.xml"), "<a><b><c x='1'/></b></a>"));
    dlg->btnFullExpandClick();
    QList<QTreeWidgetItem*> pending{dlg->TvXml->topLevelItem(0)};
    int withChildren = 0;
    while (!pending.isEmpty()) {
        QTreeWidgetItem* item = pending.takeLast();
        if (item->childCount() > 0) {
            ++withChildren;
            QVERIFY2(item->isExpanded(), qPrintable(item->text(0)));
        }
        for (int i = 0; i < item->childCount(); ++i)
            pending.append(item->child(i));
    }
    QCOMPARE(withChildren, 4);
}

void TestTFXML::editCaption_data() {
    QTest::addColumn<bool>("useMouse");
    QTest::addColumn<bool>("accept");
    QTest::newRow("F2, OK") << false << true;
    QTest::newRow("F2, Cancel") << false << false;
    QTest::newRow("right button, OK") << true << true;
    QTest::newRow("right button, Cancel") << true << false;
}

void TestTFXML::editCaption() {
    QFETCH(bool, useMouse);
    QFETCH(bool, accept);
    dlg->show();
    open(writeFileOrAbort(dir.path() + QStringLiteral("/data/x.xml"), "<price>12</price>"));
    dlg->btnFullExpandClick();
    QTreeWidgetItem* price = dlg->TvXml->topLevelItem(0)->child(0);
    dlg->TvXml->setCurrentItem(price);
    if (accept)
        typed = QStringLiteral("price = 13");
    if (useMouse) {
        const QRect r = dlg->TvXml->visualItemRect(price);
        QTest::mouseClick(dlg->TvXml->viewport(), Qt::RightButton, {}, r.center());
    } else {
        QTest::keyClick(dlg->TvXml, Qt::Key_F2);
    }
    QCOMPARE(edits, 1);
    QCOMPARE(editorText, QStringLiteral("price = 12"));
    QCOMPARE(price->text(0), accept ? QStringLiteral("price = 13") : QStringLiteral("price = 12"));
    dlg->hide();
}

void TestTFXML::editWithoutSelectionDoesNothing() {
    dlg->TvXmlKeyDown(Qt::Key_F2);
    dlg->TvXmlMouseDown(Qt::RightButton);
    open(writeFileOrAbort(dir.path() + QStringLiteral("/data/x.xml"), "<a/>"));
    dlg->TvXml->clearSelection();
    dlg->TvXmlKeyDown(Qt::Key_F2);
    dlg->TvXmlMouseDown(Qt::RightButton);
    // Other keys and the left button do not edit.
    dlg->TvXml->setCurrentItem(dlg->TvXml->topLevelItem(0));
    dlg->TvXmlKeyDown(Qt::Key_F3);
    dlg->TvXmlMouseDown(Qt::LeftButton);
    QCOMPARE(edits, 0);
}

void TestTFXML::editThroughNewProjectDialog() {
    open(writeFileOrAbort(dir.path() + QStringLiteral("/data/x.xml"), "<a b='1'/>"));
    editor->ProjectDialogMode = TFsaveproj::NewProject;
    QString title;
    bool labelVisible = true;
    execEditor = [&](QDialog* d) {
        QTimer::singleShot(0, d, [&] {
            title = editor->windowTitle();
            labelVisible = editor->Label1->isVisible();
            editor->Edit1->setText(QString()); // OK with an empty text closes too
            editor->bitbtn1->click();
        });
        return d->exec();
    };
    QTreeWidgetItem* attr = dlg->TvXml->topLevelItem(0)->child(0)->child(0);
    dlg->TvXml->setCurrentItem(attr);
    dlg->TvXmlKeyDown(Qt::Key_F2);
    QCOMPARE(title, QStringLiteral("Edit XML"));
    QVERIFY(!labelVisible);
    QCOMPARE(attr->text(0), QString());
    QCOMPARE(prompter->texts(), QStringList());
    QVERIFY(QDir(ws.ProjectsFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot) ==
            QStringList{"P1"});
}

void TestTFXML::writeIntoProjectFolder() {
    const QString source = writeFileOrAbort(dir.path() + QStringLiteral("/data/x.xml"),
                                            "<?xml version='1.0'?><price cur='EUR'>12</price>");
    open(source);
    QTreeWidgetItem* price = dlg->TvXml->topLevelItem(0)->child(1);
    dlg->TvXml->setCurrentItem(price);
    typed = QStringLiteral("price = 13");
    dlg->TvXmlKeyDown(Qt::Key_F2);
    dlg->btnWriteClick();
    QVERIFY(dlg->btnWrite->isEnabled());
    QCOMPARE(prompter->texts(), QStringList());
    QCOMPARE(readFile(ws.ProjectFolder + QStringLiteral("/x.xml")),
             QByteArray("<?xml version=\"1.0\"?><price cur=\"EUR\">13</price>"));
    // The opened file is not touched.
    QCOMPARE(readFile(source), QByteArray("<?xml version='1.0'?><price cur='EUR'>12</price>"));
}

void TestTFXML::writeRoundTrip() {
    const QByteArray text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<?style href=\"a.xsl\"?>\n"
        "<root id=\"7\" z=\"1\" a=\"2\">\n  head\n  <item n=\"1\">one &amp; two</item>\n"
        "  <?pi some data?>\n  <item n=\"2\"><sub/></item>\n</root>\n";
    open(writeFileOrAbort(dir.path() + QStringLiteral("/data/doc.xml"), text));
    const QStringList first = captions(dlg->TvXml);
    dlg->btnWriteClick();
    QCOMPARE(prompter->texts(), QStringList());
    open(ws.ProjectFolder + QStringLiteral("/doc.xml"));
    QCOMPARE(prompter->texts(), QStringList());
    QCOMPARE(captions(dlg->TvXml), first);
    QCOMPARE(first.size(), 15);
}

void TestTFXML::writeFailuresAreReported_data() {
    QTest::addColumn<bool>("openFirst");
    QTest::addColumn<bool>("removeProject");
    QTest::addColumn<QString>("report");
    QTest::newRow("nothing opened")
        << false << false << QStringLiteral("Nothing to write: open an XML file first");
    QTest::newRow("project folder gone") << true << true << QStringLiteral("Cannot create file \"");
}

void TestTFXML::writeFailuresAreReported() {
    QFETCH(bool, openFirst);
    QFETCH(bool, removeProject);
    QFETCH(QString, report);
    if (openFirst)
        open(writeFileOrAbort(dir.path() + QStringLiteral("/data/x.xml"), "<a/>"));
    if (removeProject)
        QVERIFY(QDir(ws.ProjectFolder).removeRecursively());
    bool enabledWhileReporting = true;
    prompter->onEntry = [&](const RecordingPrompter::Entry&) {
        enabledWhileReporting = dlg->btnWrite->isEnabled();
    };
    dlg->btnWriteClick();
    QVERIFY(!enabledWhileReporting);
    QCOMPARE(prompter->texts().size(), 1);
    QCOMPARE(prompter->entries.last().kind, RecordingPrompter::Kind::ErrorReport);
    QVERIFY2(prompter->texts().first().startsWith(report), qPrintable(prompter->texts().first()));
    QVERIFY(dlg->btnWrite->isEnabled());
}

void TestTFXML::tenDistinctImages() {
    QList<QImage> images;
    for (int i = 0; i < 10; ++i) {
        const QImage image = TFXML::XmlImage(i).toImage();
        QCOMPARE(image.size(), QSize(16, 16));
        for (const QImage& other : images)
            QVERIFY2(image != other, qPrintable(QStringLiteral("image %1 repeats").arg(i)));
        images.append(image);
    }
}

void TestTFXML::deepDocument() {
    QByteArray text;
    for (int i = 0; i < 10000; ++i)
        text += "<e>";
    for (int i = 0; i < 10000; ++i)
        text += "</e>";
    open(writeFileOrAbort(dir.path() + QStringLiteral("/data/deep.xml"), text));
    QCOMPARE(prompter->texts(), QStringList());
    QCOMPARE(dlg->TreeRows().size(), 10001);
    QCOMPARE(dlg->TreeRows().last().Depth, 10000);
    dlg->btnWriteClick();
    QCOMPARE(readFile(ws.ProjectFolder + QStringLiteral("/deep.xml")),
             QByteArray("<e>").repeated(9999) + "<e/>" + QByteArray("</e>").repeated(9999));
    dlg->TvXml->clear();
}

void TestTFXML::mainWindowWiring() {
    MainWindowFixture f;
    f.start();
    TFQuenzoreFirmWare& window = *f.window;
    QVERIFY(window.FSELstringhe);
    QVERIFY(window.FXML);
    // Created once, hidden, in the fixed start-up order.
    const QStringList order{"TFsaveproj",     "TFHelp",   "TFAbout", "TFSELstringhe",
                            "TFModifyFileSx", "TFpargen", "TFsdo",   "TFpdo",
                            "TFemcy",         "TFWemcy",  "TFXML",   "TFInfopdo",
                            "TFSetVar",       "TFSNMP",   "TFPing"};
    QStringList created;
    for (QObject* child : window.children()) {
        const QString name = QString::fromLatin1(child->metaObject()->className());
        if (order.contains(name)) {
            created.append(name);
            QVERIFY2(!static_cast<QWidget*>(child)->isVisible(), qPrintable(name));
        }
    }
    QCOMPARE(created, order);

    // Caption editing runs the new-project dialog through the window's own hook.
    QList<QDialog*> ran;
    window.execDialog = [&](QDialog* d) {
        ran.append(d);
        window.FSaveproj->Edit1->setText(QStringLiteral("a = edited"));
        return int(QDialog::Accepted);
    };
    f.ws.ProjectFolder = dir.path();
    f.prompter.chooserAnswers.enqueue(
        writeFileOrAbort(dir.path() + QStringLiteral("/w.xml"), "<a/>"));
    window.FXML->btnOpenClick();
    QTreeWidgetItem* a = window.FXML->TvXml->topLevelItem(0)->child(0);
    window.FXML->TvXml->setCurrentItem(a);
    window.FXML->TvXmlKeyDown(Qt::Key_F2);
    QCOMPARE(ran, QList<QDialog*>{window.FSaveproj});
    QCOMPARE(window.FSaveproj->ProjectDialogMode, int(TFsaveproj::EditXml));
    QCOMPARE(a->text(0), QStringLiteral("a = edited"));
    // New project sets its own mode again.
    window.execDialog = [](QDialog*) { return int(QDialog::Rejected); };
    window.NewClick();
    QCOMPARE(window.FSaveproj->ProjectDialogMode, int(TFsaveproj::NewProject));
}

QTEST_MAIN(TestTFXML)
#include "test_tfxml.moc"

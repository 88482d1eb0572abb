// Rules every window of the program shares: which button a key fires, that restoring a
// minimised window does not open it again, and that controls carry their component names.
#include "editors/TFTableDialog.h"
#include "firmware/TFModifyFileSx.h"
#include "parameters/TFSetVar.h"
#include "parameters/TFpargen.h"
#include "parameters/TranslateTable.h"
#include "shell/TFsaveproj.h"
#include "tools/TFXML.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "firmware/RecordingLauncher.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <array>
#include <functional>

namespace {

// Every window built as start-up builds it, with nested dialogs answered at once and the
// flasher never started.
struct Windows : MainWindowFixture {
    RecordingLauncher launcher;
    QStringList fired; // object names of the buttons clicked, in order

    Windows() {
        QDir().mkpath(dir.path() + "/MASTER");
        writeFileOrAbort(dir.path() + "/MASTER/sx93051.sx", "S9030000FC\r\n");
        start();
        window->execDialog = [](QDialog*) { return int(QDialog::Rejected); };
        window->FModifyFileSx->setLauncher(&launcher);
    }

    // The window of that class: the main window or one of its dialogs.
    QWidget* find(const QString& className) {
        if (className == QLatin1String(window->metaObject()->className()))
            return window.get();
        for (QWidget* w : window->findChildren<QWidget*>())
            if (w->isWindow() && className == QLatin1String(w->metaObject()->className()))
                return w;
        qFatal("no window %s", qPrintable(className));
    }

    // Shows the window, active, and records every click of its buttons.
    QWidget* open(const QString& className) {
        QWidget* w = find(className);
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qFatal("%s not active", qPrintable(className));
        for (QPushButton* b : w->findChildren<QPushButton*>())
            if (b->window() == w)
                QObject::connect(b, &QPushButton::clicked, w,
                                 [this, b] { fired.append(b->objectName()); });
        return w;
    }
};

// The controls of `root` itself (not of a dialog it owns) named `name`.
QList<QWidget*> controls(QWidget* root, const QString& name) {
    QList<QWidget*> found;
    for (QWidget* w : root->findChildren<QWidget*>(name))
        if (w->window() == root)
            found.append(w);
    return found;
}

// A state the user sets in an open window, read as text.
struct OpenedState {
    const char* window;
    std::function<void(Windows&, QWidget*)> change;
    std::function<QString(Windows&, QWidget*)> probe;
};

const OpenedState kOpenedStates[] = {
    {"TFModifyFileSx",
     [](Windows&, QWidget* w) { static_cast<TFModifyFileSx*>(w)->cbport->setCurrentIndex(2); },
     [](Windows&, QWidget* w) { return static_cast<TFModifyFileSx*>(w)->cbport->currentText(); }},
    {"TFXML",
     [](Windows&, QWidget* w) {
         new QTreeWidgetItem(static_cast<TFXML*>(w)->TvXml, {QStringLiteral("File: x.xml")});
     },
     [](Windows&, QWidget* w) {
         return QString::number(static_cast<TFXML*>(w)->TvXml->topLevelItemCount());
     }},
    {"TFSELstringhe", [](Windows& f, QWidget*) { f.prompter.clear(); },
     [](Windows& f, QWidget*) { return f.prompter.texts().join('|'); }},
    {"TFHelp", [](Windows& f, QWidget*) { f.prompter.clear(); },
     [](Windows& f, QWidget*) { return f.prompter.texts().join('|'); }},
    {"TFpargen", [](Windows&, QWidget* w) { static_cast<TFpargen*>(w)->E_IP1->setText("7"); },
     [](Windows&, QWidget* w) { return static_cast<TFpargen*>(w)->E_IP1->text(); }},
    {"TFSetVar",
     [](Windows&, QWidget* w) {
         auto* d = static_cast<TFSetVar*>(w);
         d->model->setData(d->model->index(0, ColDataType), "Coil Status", Qt::EditRole);
     },
     [](Windows&, QWidget* w) {
         auto* d = static_cast<TFSetVar*>(w);
         return d->model->index(0, ColDataType).data().toString();
     }},
    {"TFsaveproj", [](Windows&, QWidget* w) { static_cast<TFsaveproj*>(w)->Edit1->setText("P"); },
     [](Windows&, QWidget* w) { return static_cast<TFsaveproj*>(w)->Edit1->text(); }},
    {"TFemcy",
     [](Windows&, QWidget* w) {
         w->findChild<QLineEdit*>(QStringLiteral("Eid_devA"))->setText("7");
     },
     [](Windows&, QWidget* w) {
         return w->findChild<QLineEdit*>(QStringLiteral("Eid_devA"))->text();
     }},
    {"TFsdo",
     [](Windows&, QWidget* w) {
         auto* grid = w->findChild<QAbstractItemView*>(QStringLiteral("sga"));
         grid->model()->setData(grid->model()->index(0, 2), "0x2000", Qt::EditRole);
     },
     [](Windows&, QWidget* w) {
         auto* grid = w->findChild<QAbstractItemView*>(QStringLiteral("sga"));
         return grid->model()->index(0, 2).data().toString();
     }},
};

} // namespace

class TestDialogRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keysFireButtons_data();
    void keysFireButtons();
    void enterOnFocusedCancelKeepsParameters();
    void restoreIsNoOpening_data();
    void restoreIsNoOpening();
    void controlsCarryComponentNames_data();
    void controlsCarryComponentNames();
};

void TestDialogRules::keysFireButtons_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("focus");
    // The button each key fires with the focus there; empty: none fires and nothing closes.
    QTest::addColumn<QString>("enter");
    QTest::addColumn<QString>("space");
    QTest::addColumn<QString>("escape");
    auto row = [](const char* window, const char* focus, const char* enter, const char* space,
                  const char* escape) {
        QTest::addRow("%s %s", window, focus) << window << focus << enter << space << escape;
    };
    for (const char* b : {"New", "open", "btn_Prm_Gen", "CreateBin", "about", "LbButton1"})
        row("TFQuenzoreFirmWare", b, b, b, "");
    // OK is the default and Cancel the cancel button.
    const std::array<const char*, 4> okCancel[] = {{"TFsaveproj", "Edit1", "bitbtn1", "bitbtn2"},
                                                   {"TFpargen", "E_IP1", "bitbtn1", "bitbtn2"},
                                                   {"TFSNMP", "Edit1", "LbButton1", "LbButton2"},
                                                   {"TFSELstringhe", "sg", "bitbtn1", "bitbtn2"}};
    for (const auto& [window, field, ok, cancel] : okCancel) {
        row(window, ok, ok, ok, cancel);
        row(window, cancel, cancel, cancel, cancel);
        row(window, field, ok, "", cancel);
    }
    // The grid takes Enter; Cancel still answers Escape.
    row("TFSetVar", "bitbtn1", "bitbtn1", "bitbtn1", "bitbtn2");
    row("TFSetVar", "bitbtn2", "bitbtn2", "bitbtn2", "bitbtn2");
    row("TFSetVar", "sga", "", "", "bitbtn2");
    // No default and no cancel button: Escape leaves these open.
    for (const char* b : {"LbButton2", "LbButton1"})
        row("TFModifyFileSx", b, b, b, "");
    row("TFModifyFileSx", "cbport", "", "", "");
    for (const char* b : {"btnopen", "btnFullExpand", "btnWrite"})
        row("TFXML", b, b, b, "");
    row("TFXML", "TvXml", "", "", "");
    row("TFAbout", "LbButton1", "LbButton1", "LbButton1", "");
    row("TFPing", "LbButton1", "LbButton1", "LbButton1", "");
    row("TFHelp", "RichEdit1", "", "", "");
    // The table editors: OK only by its own click, Escape is Cancel.
    const std::array<const char*, 3> tables[] = {{"TFsdo", "bitbtn1", "sga"},
                                                 {"TFpdo", "bitbtn1", "sga"},
                                                 {"TFemcy", "LbButton1", "Eid_devA"},
                                                 {"TFWemcy", "bitbtn1", "TWCanA"},
                                                 {"TFInfopdo", "LbButton1", "EindexA"}};
    for (const auto& [window, ok, field] : tables) {
        for (const char* b : {ok, "bitbtn2", "button1", "bitbtn4"})
            row(window, b, b, b, "bitbtn2");
        row(window, field, "", "", "bitbtn2");
    }
    row("TFemcy", "NewA", "NewA", "NewA", "bitbtn2");
}

void TestDialogRules::keysFireButtons() {
    QFETCH(QString, window);
    QFETCH(QString, focus);
    QFETCH(QString, enter);
    QFETCH(QString, space);
    QFETCH(QString, escape);
    const std::pair<Qt::Key, QString> keys[] = {{Qt::Key_Return, enter},
                                                {Qt::Key_Enter, enter},
                                                {Qt::Key_Space, space},
                                                {Qt::Key_Escape, escape}};
    for (const auto& [key, expected] : keys) {
        Windows f;
        QWidget* w = f.open(window);
        const QList<QWidget*> targets = controls(w, focus);
        QCOMPARE(targets.size(), 1);
        targets.first()->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), targets.first());
        // Away from the buttons Enter goes to the default, the one drawn as such.
        if (!qobject_cast<QPushButton*>(targets.first()))
            for (QPushButton* b : w->findChildren<QPushButton*>())
                if (b->window() == w)
                    QVERIFY2(b->isDefault() == (b->objectName() == enter),
                             qPrintable(b->objectName()));
        QTest::keyClick(targets.first(), key);
        const QString what = QKeySequence(key).toString();
        QVERIFY2(f.fired == (expected.isEmpty() ? QStringList() : QStringList{expected}),
                 qPrintable(what + " fired: " + f.fired.join(',')));
        if (expected.isEmpty())
            QVERIFY2(w->isVisible(), qPrintable(what + " closed the window"));
    }
}

void TestDialogRules::enterOnFocusedCancelKeepsParameters() {
    Windows f;
    const QString pargen = f.ws.ProjectsFolder + "/pargen.xml";
    auto* d = static_cast<TFpargen*>(f.open("TFpargen"));
    d->E_IP1->setText("10");
    d->bitbtn2->setFocus(Qt::TabFocusReason);
    QTest::keyClick(d->bitbtn2, Qt::Key_Return);
    QVERIFY(!QFile::exists(pargen));
    QCOMPARE(f.window->Edit1->text(), QStringLiteral("0.0.0.0"));
    QCOMPARE(d->result(), int(QDialog::Rejected));
    QVERIFY(!d->isVisible());
}

void TestDialogRules::restoreIsNoOpening_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(kOpenedStates)); ++i)
        QTest::newRow(kOpenedStates[i].window) << i;
}

void TestDialogRules::restoreIsNoOpening() {
    QFETCH(int, index);
    const OpenedState& c = kOpenedStates[index];
    Windows f;
    QWidget* w = f.open(c.window);
    const QString opened = c.probe(f, w);
    c.change(f, w);
    const QString changed = c.probe(f, w);
    QVERIFY(changed != opened);
    // Minimising and restoring is what the window system reports as a hide and a show.
    w->showMinimized();
    w->showNormal();
    QCOMPARE(c.probe(f, w), changed);
    // A real opening starts over.
    w->hide();
    w->show();
    QCOMPARE(c.probe(f, w), opened);
}

void TestDialogRules::controlsCarryComponentNames_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    auto add = [](const char* window, const char* className, const QStringList& names) {
        for (const QString& name : names)
            QTest::addRow("%s %s", window, qPrintable(name)) << window << name << className;
    };
    const char* mainWindow = "TFQuenzoreFirmWare";
    add(mainWindow, "QLabel", {"Label1", "Label2", "Label3", "Label6", "Labelstate"});
    add(mainWindow, "QPushButton",
        {"New", "open", "btn_Prm_Gen", "CreateBin", "about", "LbButton1", "CreateSx",
         "btn_Translate", "btn_Emcy_Wd", "btn_Pdo", "btn_Emcy", "btn_Info_Pdo", "Btn_Ping"});
    add(mainWindow, "QGroupBox", {"GroupBox1"});
    add(mainWindow, "QLineEdit", {"Edit1"});
    add("TFsaveproj", "QLabel", {"Label1"});
    add("TFsaveproj", "QLineEdit", {"Edit1"});
    add("TFsaveproj", "QPushButton", {"bitbtn1", "bitbtn2"});
    add("TFHelp", "QTextEdit", {"RichEdit1"});
    add("TFAbout", "QLabel", {"Image2", "Label1", "Label2", "Label3", "Label4", "Label5"});
    add("TFAbout", "QPushButton", {"LbButton1"});
    add("TFSELstringhe", "QTableWidget", {"sg"});
    add("TFSELstringhe", "QLabel", {"Label1"});
    add("TFSELstringhe", "QPushButton", {"bitbtn1", "bitbtn2"});
    add("TFModifyFileSx", "QComboBox", {"cbport"});
    add("TFModifyFileSx", "QPushButton",
        {"LbButton2", "LbButton1", "OpenFile", "Options", "DirFileBin", "ExeModFileSx",
         "ExeUpdateFir"});
    add("TFModifyFileSx", "QProgressBar", {"Avanzamento"});
    add("TFModifyFileSx", "QLineEdit", {"NewFileSx"});
    add("TFModifyFileSx", "QLabel", {"Label3"});
    add("TFModifyFileSx", "QGroupBox", {"GbBank"});
    add("TFModifyFileSx", "QCheckBox", {"Cbbank1", "Cbbank2", "Cbbank3", "Cbbank4", "Cbbank5"});
    add("TFpargen", "QLineEdit",
        {"E_IP1", "E_IP2", "E_IP3", "E_IP4", "E_SUB1", "E_SUB2", "E_SUB3", "E_SUB4", "E_GAT1",
         "E_GAT2", "E_GAT3", "E_GAT4", "E_Time", "E_Offset"});
    add("TFpargen", "TPortSpinEdit", {"SE_Port"});
    add("TFpargen", "QComboBox", {"CB_Baud", "CB_Par"});
    add("TFpargen", "TRadioGroup", {"RG_Mode"});
    add("TFpargen", "QPushButton", {"LbButton1", "bitbtn1", "bitbtn2"});
    add("TFXML", "QTreeWidget", {"TvXml"});
    add("TFXML", "QPushButton", {"btnopen", "btnFullExpand", "btnWrite"});
    add("TFSetVar", "QTableView", {"sga"});
    add("TFSetVar", "QPushButton", {"bitbtn1", "bitbtn2"});
    add("TFSNMP", "QLineEdit", {"Edit1", "Edit2"});
    add("TFSNMP", "QPushButton", {"LbButton1", "LbButton2"});
    add("TFPing", "QLabel", {"I_P_F", "I_P_NF", "I_P_E", "Label1"});
    add("TFPing", "QPushButton", {"LbButton1"});
    for (const char* table : {"TFsdo", "TFpdo", "TFemcy", "TFWemcy", "TFInfopdo"}) {
        add(table, "QTabWidget", {"pages"});
        add(table, "QPushButton", {"bitbtn2", "bitbtn4", "button1"});
    }
    for (const char* grid : {"TFsdo", "TFpdo"}) {
        add(grid, "QTableView", {"sga", "sgb"});
        add(grid, "QPushButton", {"bitbtn1"});
    }
    add("TFInfopdo", "QListWidget", {"LPdoCanA", "LSdoCanA", "LPdoCanB", "LSdoCanB"});
    add("TFInfopdo", "QLineEdit", {"EindexA", "EsubindexA", "EindexB", "EsubindexB"});
    add("TFInfopdo", "TRadioGroup", {"PoscompMsbA", "PoscompLsbA", "PoscompMsbB", "PoscompLsbB"});
    add("TFInfopdo", "QPushButton",
        {"LbButton1", "DELETEa", "NewA", "ModifyA", "copyA", "PasteA", "Deleteb", "Newb", "Modifyb",
         "copyB", "PasteB"});
    add("TFemcy", "QListWidget", {"LBCanA", "LBCanB"});
    for (const char* page : {"A", "B"}) {
        QStringList edits;
        for (const char* field :
             {"id_dev", "mask_eq_ec", "mask_eq_er", "mask_eq_m1", "mask_eq_m2", "mask_eq_m3",
              "enmask_eq_ec", "enmask_eq_er", "enmask_eq_m1", "enmask_eq_m2", "enmask_eq_m3"})
            edits << QStringLiteral("E%1%2").arg(field, page);
        add("TFemcy", "QLineEdit", edits);
        const QString lower = QString(page).toLower();
        QStringList radios;
        for (int r = 1; r <= 9; ++r)
            radios << QStringLiteral("r%1%2").arg(r).arg(lower);
        add("TFemcy", "QRadioButton", radios);
        add("TFemcy", "QCheckBox", {"enable" + lower});
        add("TFemcy", "QPushButton",
            {QString("New") + page, QString("Modify") + page, QString("Delete") + page});
        add("TFWemcy", "QTreeView", {QString("TWCan") + page});
        add("TFWemcy", "QGroupBox",
            {QString("GBword_emcy_bitmap") + page, QString("Gbebm") + page});
        add("TFWemcy", "QLineEdit",
            {QString("Eindex_addrm") + page, QString("Esubindex") + page, QString("Edevid") + page,
             QString("Eb0") + page, QString("Eb1") + page, QString("Eposcomp") + page,
             QString("Eposcomp") + page + "2"});
        add("TFWemcy", "QPushButton",
            {"new" + QString(page), "modify" + QString(page), "delete" + QString(page)});
    }
    add("TFemcy", "QPushButton", {"LbButton1"});
    add("TFWemcy", "QPushButton", {"bitbtn1"});
}

void TestDialogRules::controlsCarryComponentNames() {
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(QString, className);
    Windows f;
    QWidget* w = f.find(window);
    if (auto* table = qobject_cast<TFTableDialog*>(w))
        table->BuildPages(); // as its first showing does
    const QList<QWidget*> found = controls(w, name);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QString(found.first()->metaObject()->className()), className);
}

QTEST_MAIN(TestDialogRules)
#include "test_dialogrules.moc"

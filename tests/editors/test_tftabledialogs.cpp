#include "common/RadioGroup.h"
#include "common/RecordingPrompter.h"
#include "editors/TFInfopdo.h"
#include "editors/TFWemcy.h"
#include "editors/TFemcy.h"
#include "project/Workspace.h"

#include "TestSupport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <memory>

namespace {

template <typename Dialog> struct Shown {
    QTemporaryDir dir;
    Workspace ws;
    RecordingPrompter prompter;
    std::unique_ptr<Dialog> dialog;

    explicit Shown(const QMap<QString, QByteArray>& files = {}) {
        ws.ProjectFolder = dir.path();
        for (auto it = files.begin(); it != files.end(); ++it)
            writeFileOrAbort(dir.filePath(it.key()), it.value());
        dialog = std::make_unique<Dialog>(ws, prompter);
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            qFatal("dialog not shown");
    }
    template <typename T> T* control(const char* name) {
        T* c = dialog->template findChild<T*>(QString::fromLatin1(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    void type(const char* edit, const QString& text) {
        QLineEdit* e = control<QLineEdit>(edit);
        e->clear();
        QTest::keyClicks(e, text);
    }
    void click(const char* button) { control<QPushButton>(button)->click(); }
    // A click on a row, as the user makes it.
    void choose(const char* list, int row) {
        QListWidget* l = control<QListWidget>(list);
        const QRect at = l->visualItemRect(l->item(row));
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, at.center());
    }
};

const QByteArray kPdos = "<rpdodef><row cobid=\"0x181\" en_bypass=\"0\"/>"
                         "<row cobid=\"0x182\" en_bypass=\"2\"/></rpdodef>";

} // namespace

class TestTFTableDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void captions();
    void storePdoByHand();
    void emcyRadiosInCodeOrder();
    void emcyByHand();
    void wordTreeByHand();
};

void TestTFTableDialogs::captions() {
    Shown<TFInfopdo> store({{"rpdodef.xml", kPdos}});
    Shown<TFemcy> emcy;
    Shown<TFWemcy> word;
    const std::pair<QDialog*, QStringList> expected[] = {
        {store.dialog.get(), {"Define Store PDO", "CanA", "CanB"}},
        {emcy.dialog.get(), {"Set Traslate EMCY", "From CAN A", "From CAN B"}},
        {word.dialog.get(), {"Define EMCY Word", "CanA", "CanB"}}};
    for (const auto& [dialog, texts] : expected) {
        auto* pages = dialog->findChild<QTabWidget*>("pages");
        QCOMPARE(QStringList({dialog->windowTitle(), pages->tabText(0), pages->tabText(1)}), texts);
    }
    QCOMPARE(store.control<QPushButton>("ModifyA")->text(), QString("Modify SDO"));
    QCOMPARE(emcy.control<QPushButton>("ModifyA")->text(), QString("Modify ENCY"));
    QCOMPARE(emcy.control<QPushButton>("ModifyB")->text(), QString("Modify EMCY"));
    QCOMPARE(emcy.control<QCheckBox>("enableb")->text(), QString("Enabled_Traslate to CANA"));
    QCOMPARE(word.control<QGroupBox>("GbebmB")->title(), QString("Mask BIT n°  Define"));
    // Word and bit nodes are told apart by their icons.
    const QIcon wordIcon = word.dialog->Large[0];
    QVERIFY(!wordIcon.isNull() &&
            wordIcon.pixmap(16).toImage() != word.dialog->Large[1].pixmap(16).toImage());
    QCOMPARE(store.control<QListWidget>("LPdoCanA")->item(0)->text(), QString("0x181"));
    QCOMPARE(store.control<QListWidget>("LPdoCanB")->count(), 1);
}

void TestTFTableDialogs::storePdoByHand() {
    Shown<TFInfopdo> f({{"rpdodef.xml", kPdos},
                        {"sdopdo.xml", "<sdopdo><row index=\"0x2000\" subindex=\"1\" nrpdo=\"1\" "
                                       "poscomp=\"255\"/></sdopdo>"}});
    f.prompter.clear();
    f.click("NewA"); // no PDO chosen: nothing
    f.choose("LPdoCanA", 0);
    f.choose("LSdoCanA", 0);
    QCOMPARE(f.control<QLineEdit>("EindexA")->text(), QString("0x2000"));
    QCOMPARE(f.control<TRadioGroup>("PoscompMsbA")->itemIndex(), 8);
    f.type("EsubindexA", "2");
    f.control<TRadioGroup>("PoscompMsbA")->setItemIndex(2);
    f.control<TRadioGroup>("PoscompLsbA")->setItemIndex(1);
    f.click("NewA");
    QCOMPARE(f.control<QListWidget>("LSdoCanA")->currentItem()->text(), QString("Sdo1"));
    f.click("copyA");
    f.click("PasteB");
    QCOMPARE(f.prompter.texts(), QStringList{"'' is not a valid integer value"});
    f.dialog->LbButton1->click();
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(readFile(f.dir.filePath("sdopdo.xml")),
             QByteArray("<sdopdo><row index=\"0x2000\" subindex=\"1\" nrpdo=\"1\" poscomp=\"255\"/>"
                        "<row index=\"0x2000\" subindex=\"2\" nrpdo=\"1\" poscomp=\"33\"/>"
                        "</sdopdo>"));
}

void TestTFTableDialogs::emcyRadiosInCodeOrder() {
    Shown<TFemcy> f;
    const char* names[] = {"r1a", "r2a", "r3a", "r9a", "r4a", "r5a", "r6a", "r7a", "r8a"};
    const char* captions[] = {"No traslate ID CANA", "Error code byte  HIGH", "Error code byte LOW",
                              "Error Reg",           "Manu1 byte HIGH",       "Manu1 byte LOW",
                              "Manu2 byte HIGH",     "Manu2 byte LOW",        "Manu3"};
    int above = -1;
    for (int code = 0; code < 9; ++code) {
        auto* radio = f.control<QRadioButton>(names[code]);
        QCOMPARE(radio->text(), QString(captions[code]));
        QVERIFY(radio->mapTo(f.dialog.get(), QPoint()).y() > above);
        above = radio->mapTo(f.dialog.get(), QPoint()).y();
        QCOMPARE(f.dialog->page[0].radios[std::size_t(code)], radio);
    }
    QVERIFY(f.control<QRadioButton>("r1a")->isChecked());
}

void TestTFTableDialogs::emcyByHand() {
    Shown<TFemcy> f;
    QCOMPARE(f.prompter.texts(), QStringList{"File XML not found"});
    f.dialog->pages->setCurrentIndex(1);
    f.type("Eid_devB", "7");
    f.type("Emask_eq_ecB", "0x1000");
    f.control<QCheckBox>("enableb")->setChecked(true);
    f.control<QRadioButton>("r9b")->setChecked(true);
    f.click("NewB");
    f.click("NewB");
    QCOMPARE(f.prompter.texts().last(), QString("Index Not Valid"));
    f.type("Eid_devB", "3");
    f.click("NewB");
    f.choose("LBCanB", 0);
    QCOMPARE(f.control<QLineEdit>("Eid_devB")->text(), QString("7"));
    f.click("DeleteB");
    QCOMPARE(f.control<QListWidget>("LBCanB")->currentRow(), -1);
    f.dialog->LbButton1->click();
    QCOMPARE(
        readFile(f.dir.filePath("emcydef.xml")),
        QByteArray("<emcydef><row id_dev=\"3\" mask_eq_ec=\"0x1000\" mask_eq_er=\"0\" "
                   "mask_eq_m1=\"0\" mask_eq_m2=\"0\" mask_eq_m3=\"0\" enmask_eq_ec=\"0\" "
                   "enmask_eq_er=\"0\" enmask_eq_m1=\"0\" enmask_eq_m2=\"0\" enmask_eq_m3=\"0\" "
                   "bypass_set=\"39\"/></emcydef>"));
}

void TestTFTableDialogs::wordTreeByHand() {
    Shown<TFWemcy> f;
    f.prompter.clear();
    for (const char* n : {"0", "1", "2"}) {
        f.type("Eindex_addrmA", n);
        f.type("EsubindexA", "1");
        f.type("EdevidA", "5");
        f.click("newA");
    }
    QTreeView* tree = f.control<QTreeView>("TWCanA");
    const auto select = [&](int node) {
        tree->setCurrentIndex(f.dialog->table.tree(0).NodeIndex(node));
    };
    select(21);
    QCOMPARE(f.control<QGroupBox>("GBword_emcy_bitmapB")->title(),
             QString("Word n°1 Emcy Define "));
    QCOMPARE(f.control<QGroupBox>("GbebmA")->title(), QString("Mask BIT n°21 Define"));
    QCOMPARE(f.prompter.texts(), QStringList{"'' is not a valid integer value"});
    f.type("EposcompA", "18");
    f.type("EposcompA2", "3");
    f.click("modifyA");
    QCOMPARE(f.dialog->table.words[0][1].bits[3].poscomp, QString("291"));
    // Deleting W0 leaves the selection on a word whose position is now 0.
    select(0);
    f.click("deleteA");
    QCOMPARE(f.dialog->SelectedNodeIndex(0), 0);
    QCOMPARE(f.control<QGroupBox>("GBword_emcy_bitmapA")->title(),
             QString("Word n°0 Emcy Define "));
    QCOMPARE(f.control<QLineEdit>("Eindex_addrmA")->text(), QString("1"));
    f.click("newA"); // the same key as W1's now: refused
    QCOMPARE(f.prompter.texts().last(), QString("Index Not Valid"));
    f.type("Eindex_addrmA", "9");
    f.click("newA");
    QCOMPARE(tree->model()->index(2, 0).data().toString(), QString("W3"));
}

QTEST_MAIN(TestTFTableDialogs)
#include "test_tftabledialogs.moc"

// Every way the update road can fail, through the real main window and firmware dialog and
// through `quenzor-cli update`: the exact message, no flasher started, no partial or stale file
// left, and an earlier new firmware left as it was.
#include "CliRun.h"
#include "FirmwareTestData.h"

#include "common/RecordingPrompter.h"
#include "firmware/FlasherLaunch.h"
#include "firmware/TFModifyFileSx.h"
#include "shell/TFQuenzoreFirmWare.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace testdata;

namespace {

const QByteArray kEarlier = "an earlier good firmware\r\n";

// A program folder with MASTER's base firmware, the stand-in flasher and a project P1 that
// already holds a new firmware from an earlier update.
struct Program {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QString project() const { return path("PROJECTS/P1"); }
    Program() {
        QDir(dir.path()).mkpath("MASTER");
        QDir(dir.path()).mkpath("PROJECTS/P1/bin");
        writeFile(project() + "/pargen.xml", kDistinctPargen);
        writeFile(project() + "/New_sx93051.sx", kEarlier);
        writeFile(path("MASTER/sx93051.sx"), crlfText(sampleBase()));
        QFile::copy(QStringLiteral(QUENZOR_PROGRAM_DIR "/VidodIzuze.exe"), path("VidodIzuze.exe"));
        writeFile(path("Quenzor.ini"), "[lastproj]\r\nprojectname=P1\r\n");
    }
};

void breakBase(Program& p, const std::function<void(QByteArrayList&)>& change) {
    QByteArrayList lines = sampleBase();
    change(lines);
    writeFile(p.path("MASTER/sx93051.sx"), crlfText(lines));
}

// Sets up one fault in a fresh program folder.
void makeFault(const QString& fault, Program& p) {
    const QString project = p.project();
    if (fault == "pargen missing")
        QFile::remove(project + "/pargen.xml");
    else if (fault == "pargen not well-formed")
        writeFile(project + "/pargen.xml", "<General_Parameter><TCP_IP1>1</TCP_IP2>");
    else if (fault == "element missing")
        writeFile(project + "/pargen.xml",
                  QByteArray(kDistinctPargen).replace("<BAUD>7</BAUD>", ""));
    else if (fault == "value not integer")
        writeFile(project + "/pargen.xml",
                  QByteArray(kDistinctPargen).replace("<BAUD>7<", "<BAUD>7x<"));
    else if (fault == "bin missing")
        QDir(project + "/bin").removeRecursively();
    else if (fault == "bank1.bin not writable")
        QDir().mkpath(project + "/bin/bank1.bin/x");
    else if (fault == "bankg.c not writable")
        QDir().mkpath(project + "/bin/bankg.c/x");
    else if (fault == "base missing")
        QFile::remove(p.path("MASTER/sx93051.sx"));
    else if (fault == "base without window")
        breakBase(p, [](QByteArrayList& l) {
            l.erase(std::remove_if(l.begin(), l.end(),
                                   [](const QByteArray& r) {
                                       const uint a = r.mid(4, 6).toUInt(nullptr, 16);
                                       return r.startsWith("S2") && a >= 0x388000 && a < 0x38C000;
                                   }),
                    l.end());
        });
    else if (fault == "base checksum broken")
        breakBase(p, [](QByteArrayList& l) { l[3].chop(2), l[3].append("00"); });
    else if (fault == "base line not a record")
        breakBase(p, [](QByteArrayList& l) { l.insert(5, "this is not a record"); });
    else if (fault == "output locked")
        QFile::remove(project + "/New_sx93051.sx"), QDir().mkpath(project + "/New_sx93051.sx/x");
    else if (fault == "flasher missing")
        QFile::remove(p.path("VidodIzuze.exe"));
    else if (fault == "flasher not executable")
        QFile::setPermissions(p.path("VidodIzuze.exe"), QFile::ReadOwner | QFile::WriteOwner);
}

// What may differ after a failure: nothing, except the two renderings of the image, which
// the road composes before it patches (they are then whole), and, in the window, a new
// firmware the user asked for with "Execute modify file" (it is then complete).
void checkNothingLeft(QMap<QString, QByteArray> before, QMap<QString, QByteArray> after,
                      bool newFirmwareMade) {
    for (const char* name : {"/bin/bank1.bin", "/bin/bankg.c"}) {
        const QByteArray now = after.take(name);
        const QByteArray was = before.take(name);
        if (now == was)
            continue;
        QVERIFY2(now.size() == 16384 || now.count("\r\n") == 1027, name);
    }
    if (newFirmwareMade) {
        QCOMPARE(after.take("/New_sx93051.sx").count("S9"), 1);
        before.remove("/New_sx93051.sx");
    }
    QCOMPARE(after.keys(), before.keys());
    for (auto it = after.begin(); it != after.end(); ++it)
        QVERIFY2(it.value() == before[it.key()], qPrintable(it.key()));
}

} // namespace

class TestFaultMatrix : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void updateRoad_data();
    void updateRoad();
};

void TestFaultMatrix::updateRoad_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message"); // in the window; {P} is the project folder
    QTest::addColumn<QString>("cliMessage");
    const QString notComposed = "Configuration image not composed. ";
    const QList<std::array<QString, 3>> rows = {
        {"pargen missing",
         notComposed + "Cannot open file \"{P}/pargen.xml\". No such file or directory", ""},
        {"pargen not well-formed",
         notComposed + "File \"{P}/pargen.xml\" is not well-formed XML: ", ""},
        {"element missing", notComposed + "File \"{P}/pargen.xml\", element \"BAUD\": not found",
         ""},
        {"value not integer",
         notComposed +
             "File \"{P}/pargen.xml\", element \"BAUD\": '7x' is not a valid integer value",
         ""},
        {"bin missing", "Cannot create file \"{P}/bin/bank1.bin\"", ""},
        {"bank1.bin not writable", "Cannot create file \"{P}/bin/bank1.bin\"", ""},
        {"bankg.c not writable", "Cannot create file \"{P}/bin/bankg.c\"", ""},
        {"base missing", "Error file sx93051.sx not found", ""},
        // The window marks bank 1 red at the patch and refuses the flash.
        {"base without window", "Firmware not patched with Bank 1, Procedure Aborted",
         "Bank 1 Not Found in sx93051.sx: Configuration not placed,Abort Procedure"},
        {"base checksum broken", "sx93051.sx is not a sound S-record firmware (line 4: ", ""},
        {"base line not a record", "sx93051.sx is not a sound S-record firmware (line 6: ", ""},
        {"output locked", "Cannot create file \"{P}/New_sx93051.sx\"", ""},
        {"flasher missing", "VidodIzuze.exe Not Found, Procedure Aborted", ""},
        {"flasher not executable",
         "VidodIzuze.exe Not Started, Procedure Aborted. Permission denied", ""},
        {"disk full", "Cannot create file \"{P}/bin/bank1.bin\". File too large", ""},
    };
    for (const auto& r : rows) {
        QTest::addRow("window, %s", qPrintable(r[0])) << r[0] << r[1] << QString();
        QTest::addRow("cli, %s", qPrintable(r[0]))
            << r[0] << QString() << (r[2].isEmpty() ? r[1] : r[2]);
    }
}

void TestFaultMatrix::updateRoad() {
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QFETCH(QString, cliMessage);
    Program p;
    makeFault(fault, p);
    const auto before = folderSnapshot(p.project());
    const QString log = p.path("flasher.log");
    QStringList shown;
    if (!message.isEmpty()) {
        qputenv("QUENZOR_FLASHER_LOG", QFile::encodeName(log));
        RecordingPrompter prompter;
        Workspace ws;
        TFQuenzoreFirmWare window(ws, prompter, QDir::toNativeSeparators(p.dir.path()));
        window.CreateDialogs();
        ProcessFlasherLauncher launcher(true); // the real flasher, waited for
        window.FModifyFileSx->setLauncher(&launcher);
        window.execDialog = [&](QDialog* d) {
            d->show();
            if (d == window.FModifyFileSx) {
                prompter.questionAnswers.enqueue(true); // flash what is shown
                window.FModifyFileSx->ExeModFileSx->click();
                window.FModifyFileSx->ExeUpdateFir->click();
            }
            d->hide();
            return 0;
        };
        rlimit old{};
        if (fault == "disk full") {
            std::signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &old);
            const rlimit small{1000, old.rlim_max};
            setrlimit(RLIMIT_FSIZE, &small);
        }
        window.RunDeviceUpdate(window.CreateBin);
        if (fault == "disk full")
            setrlimit(RLIMIT_FSIZE, &old);
        shown = prompter.texts();
        if (!shown.isEmpty() && shown.first().startsWith("Flash "))
            shown.removeFirst(); // the confirmation
        qunsetenv("QUENZOR_FLASHER_LOG");
    } else {
        message = cliMessage;
        QProcessEnvironment env;
        env.insert("QUENZOR_PROGRAM_DIR", p.dir.path());
        env.insert("QUENZOR_FLASHER_LOG", log);
        std::function<void()> limit;
        if (fault == "disk full")
            limit = [] {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit small{1000, 1000};
                setrlimit(RLIMIT_FSIZE, &small);
            };
        const CliRun r = runCli({"update", p.project(), "--port", "COM1", "--wait"}, env, limit);
        QCOMPARE(r.status, 1);
        shown = r.err.trimmed().split('\n');
    }
    message.replace("{P}", QDir::toNativeSeparators(p.project()));
    QVERIFY2(!shown.isEmpty() && shown.first().startsWith(message), qPrintable(shown.join('\n')));
    QVERIFY2(!QFile::exists(log), "the flasher must not be started");
    checkNothingLeft(before, folderSnapshot(p.project()),
                     !cliMessage.size() && fault.startsWith("flasher"));
}

QTEST_MAIN(TestFaultMatrix)
#include "test_faultmatrix.moc"

#include "project/Workspace.h"
#include "project/XmlDocument.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestWorkspace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStart();
    void secondStartCreatesNothing();
    void restartOnOwnProgramFolder();
    void storedName_data();
    void storedName();
    void missingFolderKeepsStoredName();
    void saveWritesNameUnaltered_data();
    void saveWritesNameUnaltered();
    void everyNameRoundTrips_data();
    void everyNameRoundTrips();
    void saveFailureIsReported();
    void saveLeavesSameFileAlone_data();
    void saveLeavesSameFileAlone();
    void nestingLimit_data();
    void nestingLimit();

private:
    static QString sep() { return QString(QDir::separator()); }
    static void writeIni(const QString& folder, const QByteArray& body) {
        QFile f(folder + "/Quenzor.ini");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(body);
    }
};

void TestWorkspace::firstStart() {
    QTemporaryDir dir;
    Workspace ws;
    const QString program = QDir::toNativeSeparators(dir.path());
    QVERIFY(!InitWorkspace(ws, program));
    QCOMPARE(ws.ProgramFolder, program);
    QCOMPARE(ws.MasterFolder, program + sep() + "MASTER");
    QCOMPARE(ws.ProjectsFolder, program + sep() + "PROJECTS");
    QVERIFY(QFileInfo(ws.MasterFolder).isDir());
    QVERIFY(QFileInfo(ws.ProjectsFolder).isDir());
    QCOMPARE(ws.ProjectName, QString());
    QCOMPARE(ws.ProjectFolder, ws.ProjectsFolder);
    QCOMPARE(ws.PargenPath, ws.ProjectsFolder + sep() + "pargen.xml");
    QCOMPARE(ws.VarPath, ws.ProjectsFolder + sep() + "var.xml");
    // Close writes an empty value.
    QVERIFY(SaveLastProject(ws).ok());
    QSettings ini(dir.path() + "/Quenzor.ini", QSettings::IniFormat);
    QVERIFY(ini.contains("lastproj/projectname"));
    QCOMPARE(ini.value("lastproj/projectname").toString(), QString());
}

void TestWorkspace::restartOnOwnProgramFolder() {
    QTemporaryDir dir;
    Workspace ws;
    InitWorkspace(ws, dir.path());
    const Workspace first = ws;
    InitWorkspace(ws, ws.ProgramFolder);
    QCOMPARE(ws.ProgramFolder, first.ProgramFolder);
    QCOMPARE(ws.ProjectsFolder, first.ProjectsFolder);
}

void TestWorkspace::secondStartCreatesNothing() {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("MASTER");
    QDir(dir.path()).mkdir("PROJECTS");
    QFile marker(dir.path() + "/MASTER/keep");
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    Workspace ws;
    InitWorkspace(ws, dir.path());
    QVERIFY(QFile::exists(dir.path() + "/MASTER/keep"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList({"MASTER", "PROJECTS"}));
}

void TestWorkspace::storedName_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("folder"); // made under PROJECTS, "" for none
    QTest::addColumn<bool>("reopened");
    QTest::addColumn<QString>("name");

    const QString s = sep();
    QTest::newRow("without separator")
        << QByteArray("[lastproj]\nprojectname=Plant1\n") << "Plant1" << true << s + "Plant1";
    QTest::newRow("own separator")
        << QByteArray("[lastproj]\nprojectname=/Plant1\n") << "Plant1" << true << s + "Plant1";
    QTest::newRow("windows separator") << QByteArray("[lastproj]\r\nprojectname=\\\\Plant1\r\n")
                                       << "Plant1" << true << s + "Plant1";
    QTest::newRow("windows single backslash")
        << QByteArray("[lastproj]\r\nprojectname=\\Plant1\r\n") << "Plant1" << true << s + "Plant1";
    QTest::newRow("nested windows")
        << QByteArray("[lastproj]\nprojectname=\\\\A\\\\B\n") << "A/B" << true << s + "A" + s + "B";
    QTest::newRow("windows comma kept") << QByteArray("[lastproj]\r\nprojectname=Plant,1\r\n")
                                        << "Plant,1" << true << s + "Plant,1";
    QTest::newRow("windows-1252 byte")
        << QByteArray("[lastproj]\r\nprojectname=caf\xE9\r\n") << QString::fromUtf8("caf\xC3\xA9")
        << true << s + QString::fromUtf8("caf\xC3\xA9");
    QTest::newRow("quoted blanks")
        << QByteArray("[lastproj]\nprojectname=\" a b \"\n") << " a b " << true << s + " a b ";
    QTest::newRow("no file section") << QByteArray("[other]\nx=1\n") << "" << false << QString();
    QTest::newRow("empty value") << QByteArray("[lastproj]\nprojectname=\n") << "" << false
                                 << QString();
}

void TestWorkspace::storedName() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, folder);
    QFETCH(bool, reopened);
    QFETCH(QString, name);
    QTemporaryDir dir;
    writeIni(dir.path(), ini);
    if (!folder.isEmpty())
        QVERIFY(QDir(dir.path()).mkpath("PROJECTS/" + folder));
    Workspace ws;
    QCOMPARE(InitWorkspace(ws, dir.path()), reopened);
    QCOMPARE(ws.ProjectName, name);
    if (reopened) {
        QCOMPARE(ws.ProjectFolder, ws.ProjectsFolder + name);
        QVERIFY(QFileInfo(ws.ProjectFolder).isDir());
    } else {
        QCOMPARE(ws.ProjectFolder, ws.ProjectsFolder);
    }
    QCOMPARE(ws.PargenPath, ws.ProjectFolder + sep() + "pargen.xml");
}

void TestWorkspace::missingFolderKeepsStoredName() {
    QTemporaryDir dir;
    writeIni(dir.path(), "[lastproj]\nprojectname=Gone\n");
    Workspace ws;
    QVERIFY(!InitWorkspace(ws, dir.path()));
    QCOMPARE(ws.ProjectFolder, ws.ProjectsFolder);
    QCOMPARE(ws.ProjectName, sep() + "Gone");
    QVERIFY(SaveLastProject(ws).ok());
    Workspace again;
    InitWorkspace(again, dir.path());
    QCOMPARE(again.ProjectName, sep() + "Gone");
}

void TestWorkspace::saveWritesNameUnaltered_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("new project form") << "Plant1";
    QTest::newRow("reopened form") << sep() + "Plant1";
    QTest::newRow("empty") << QString();
}

void TestWorkspace::saveWritesNameUnaltered() {
    QFETCH(QString, name);
    QTemporaryDir dir;
    Workspace ws;
    InitWorkspace(ws, dir.path());
    ws.ProjectName = name;
    QVERIFY(SaveLastProject(ws).ok());
    QSettings ini(dir.path() + "/Quenzor.ini", QSettings::IniFormat);
    QCOMPARE(ini.value("lastproj/projectname").toString(), name);
    // The next start shows the leading separator form and opens the folder.
    QDir(dir.path()).mkpath("PROJECTS/Plant1");
    Workspace next;
    const bool reopened = InitWorkspace(next, dir.path());
    QCOMPARE(reopened, !name.isEmpty());
    if (!name.isEmpty())
        QCOMPARE(next.ProjectName, sep() + "Plant1");
}

void TestWorkspace::everyNameRoundTrips_data() {
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"a\"b", "Plant,1", "x;y", " lead", "trail ", "\"q\"", "a=b", "#1", "caf\xC3\xA9"})
        QTest::newRow(name) << QString::fromUtf8(name);
}

void TestWorkspace::everyNameRoundTrips() {
    QFETCH(QString, name);
    QTemporaryDir dir;
    Workspace ws;
    InitWorkspace(ws, dir.path());
    QVERIFY(QDir(dir.path()).mkpath("PROJECTS/" + name));
    ws.ProjectName = name;
    QVERIFY(SaveLastProject(ws).ok());
    for (int start = 0; start < 2; ++start) { // the name read back is written back at close
        Workspace next;
        QVERIFY(InitWorkspace(next, dir.path()));
        QCOMPARE(next.ProjectName, sep() + name);
        QVERIFY(SaveLastProject(next).ok());
    }
}

void TestWorkspace::saveFailureIsReported() {
    QTemporaryDir dir;
    Workspace ws;
    InitWorkspace(ws, dir.path());
    // A folder where the settings file should be cannot be replaced by a file.
    QVERIFY(QDir(dir.path()).mkdir("Quenzor.ini"));
    ws.ProjectName = "X";
    QVERIFY(!SaveLastProject(ws).ok());
}

void TestWorkspace::saveLeavesSameFileAlone_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("rewritten");
    QTest::newRow("as it would be written")
        << QByteArray("[lastproj]\r\nprojectname=P\r\n") << "P" << false;
    QTest::newRow("other name") << QByteArray("[lastproj]\r\nprojectname=Q\r\n") << "P" << true;
    QTest::newRow("line ends differ") << QByteArray("[lastproj]\nprojectname=P\n") << "P" << true;
}

void TestWorkspace::saveLeavesSameFileAlone() {
    QFETCH(QByteArray, stored);
    QFETCH(QString, name);
    QFETCH(bool, rewritten);
    QTemporaryDir dir;
    writeIni(dir.path(), stored);
    const QString path = dir.path() + "/Quenzor.ini";
    const QDateTime old = QDateTime::currentDateTime().addYears(-1);
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    Workspace ws;
    InitWorkspace(ws, dir.path());
    ws.ProjectName = name;
    QVERIFY(SaveLastProject(ws).ok());
    QCOMPARE(QFileInfo(path).lastModified() != old, rewritten);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("[lastproj]\r\nprojectname=P\r\n"));
}

void TestWorkspace::nestingLimit_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    const auto nested = [](int levels) {
        return QByteArray("<a>").repeated(levels) + "\n" + QByteArray("</a>").repeated(levels);
    };
    QTest::newRow("at the limit") << nested(kMaxXmlDepth) << QString();
    QTest::newRow("one beyond") << nested(kMaxXmlDepth + 1) << XmlTooDeepMessage(QString(), 1);
    QTest::newRow("many elements, shallow")
        << "<r>" + QByteArray("<a/><!-- <b> --><![CDATA[<c>]]>").repeated(40) + "</r>" << QString();
    QTest::newRow("beyond through an entity of character references")
        << "<!DOCTYPE r [<!ENTITY e \"" + QByteArray("&#60;a&#62;").repeated(kMaxXmlDepth) +
               QByteArray("&#60;/a&#62;").repeated(kMaxXmlDepth) + "\">]>\n<r>&e;</r>"
        << XmlTooDeepMessage(QString(), 2);
    const QByteArray entity =
        "<!DOCTYPE r [<!ENTITY e \"" + QByteArray("&#60;a&#62;").repeated(kMaxXmlDepth) +
        QByteArray("&#60;/a&#62;").repeated(kMaxXmlDepth) + "\">]>\n<r>&e;</r>";
    const QString wide = QString::fromLatin1(entity);
    QTest::newRow("beyond through an entity, in UTF-16")
        << QByteArray("\xFF\xFE") +
               QByteArray(reinterpret_cast<const char*>(wide.utf16()), wide.size() * 2)
        << XmlTooDeepMessage(QString(), 2);
    QTest::newRow("beyond, past markup that is not an element")
        << "<?xml version=\"1.0\"?><!-- <x> -->\n" + nested(kMaxXmlDepth + 1)
        << XmlTooDeepMessage(QString(), 2);
}

void TestWorkspace::nestingLimit() {
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    QDomDocument doc;
    const Result<> loaded = LoadXmlText(doc, text, QString());
    QCOMPARE(loaded ? QString() : loaded.error(), error);
}

QTEST_GUILESS_MAIN(TestWorkspace)
#include "test_workspace.moc"

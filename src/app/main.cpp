// quenzor: the Firmware Quenzor window.
#include "common/QtPrompter.h"
#include "editors/TFTableDialog.h"
#include "project/Workspace.h"
#include "shell/TFQuenzoreFirmWare.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>

#include <cstdio>

#if defined(__SANITIZE_ADDRESS__)
// A sanitized window on a desktop: the D-Bus connection Qt opens is never freed by libdbus,
// and LeakSanitizer would end every run with status 1 for it.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libfontconfig.so\n";
}
#endif

namespace {

const char kUsage[] =
    "usage: quenzor [--program-dir DIR] [--open-dialog NAME]\n\n"
    "Starts the Firmware Quenzor window. The program folder (MASTER, PROJECTS,\n"
    "Quenzor.ini, the flasher, help2.dat) is the folder of this program,\n"
    "or DIR, or the environment variable QUENZOR_PROGRAM_DIR.\n"
    "--open-dialog NAME shows the dialog of class NAME over the main window on the\n"
    "current project, for dialogs no command of the window opens: %1.\n"
    "Without a display, use quenzor-cli (see quenzor-cli --help).\n";

// Qt aborts without a display; say so in words the user can act on.
bool displayAvailable() {
#if defined(Q_OS_LINUX)
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return true;
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

void printUsage(FILE* to) {
    std::fputs(QString::fromLatin1(kUsage)
                   .arg(TableDialogNames().join(QStringLiteral(", ")))
                   .toLocal8Bit()
                   .constData(),
               to);
}

} // namespace

int main(int argc, char** argv) {
    // Read before the application exists: --help and a usage error need no display.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption programDir(QStringLiteral("program-dir"), QString(),
                                        QStringLiteral("DIR"));
    const QCommandLineOption openDialog(QStringLiteral("open-dialog"), QString(),
                                        QStringLiteral("NAME"));
    parser.addOptions({help, programDir, openDialog});
    QString error;
    // Options of Qt's own (-platform, -style, ...) are QApplication's business.
    if (!parser.parse(args) && parser.unknownOptionNames().isEmpty()) {
        error = parser.errorText();
    } else if (parser.isSet(help)) {
        printUsage(stdout);
        return 0;
    } else if (parser.isSet(openDialog) && !TableDialogNames().contains(parser.value(openDialog))) {
        error = QStringLiteral("no dialog '%1' to open").arg(parser.value(openDialog));
    }
    if (!error.isEmpty()) {
        printUsage(stderr);
        std::fprintf(stderr, "\nquenzor: %s\n", error.toLocal8Bit().constData());
        return 2;
    }
    const QString dialogName = parser.value(openDialog);
    if (!displayAvailable()) {
        std::fprintf(stderr, "quenzor: no display (DISPLAY is not set). Run it on a desktop or "
                             "under xvfb-run, or use the headless companion quenzor-cli.\n");
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Firmware Quenzor"));
    // No display name: Qt would append it to every window title, and the titles are the
    // captions the dialogs give. The application name still names the program to the desktop.
    QString programFolder = parser.value(programDir);
    if (programFolder.isEmpty())
        programFolder = DefaultProgramFolder();
    else
        programFolder =
            QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(programFolder).absoluteFilePath()));

    QtPrompter prompter;
    Workspace workspace;
    TFQuenzoreFirmWare window(workspace, prompter, programFolder);
    window.CreateDialogs();
    window.show();
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    if (!dialogName.isEmpty()) {
        QTimer::singleShot(0, &window, [&] {
            if (workspace.ProjectFolder.isEmpty() || !QFileInfo(workspace.ProjectFolder).isDir()) {
                prompter.message(QStringLiteral("Project not valid"));
                return;
            }
            if (QDialog* dialog = window.DialogOfClass(dialogName))
                dialog->open();
        });
    }
    return app.exec();
}

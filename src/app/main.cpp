// quenzor: the Firmware Quenzor window.
#include "common/QtPrompter.h"
#include "project/Workspace.h"
#include "shell/TFQuenzoreFirmWare.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>

#include <cstdio>
#include <cstring>

namespace {

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

} // namespace

int main(int argc, char** argv) {
    QString programFolder;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--program-dir") == 0 && i + 1 < argc) {
            programFolder = QDir::toNativeSeparators(
                QDir::cleanPath(QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath()));
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(
                "usage: quenzor [--program-dir DIR]\n\n"
                "Starts the Firmware Quenzor window. The program folder (MASTER, PROJECTS,\n"
                "Quenzor.ini, the flasher, help2.dat) is the folder of this program,\n"
                "or DIR, or the environment variable QUENZOR_PROGRAM_DIR.\n"
                "Without a display, use quenzor-cli (see quenzor-cli --help).\n");
            return 0;
        }
    }
    if (!displayAvailable()) {
        std::fprintf(stderr, "quenzor: no display (DISPLAY is not set). Run it on a desktop or "
                             "under xvfb-run, or use the headless companion quenzor-cli.\n");
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Firmware Quenzor"));
    QApplication::setApplicationDisplayName(kApplicationTitle);
    if (programFolder.isEmpty())
        programFolder = DefaultProgramFolder();

    QtPrompter prompter;
    Workspace workspace;
    TFQuenzoreFirmWare window(workspace, prompter, programFolder);
    window.CreateDialogs();
    window.show();
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    return app.exec();
}

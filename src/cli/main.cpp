// quenzor-cli: the headless companion of the Firmware Quenzor window, on the same core code.
#include "cli/Commands.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <iterator>
#include <memory>

namespace {

const CliCommand kCommands[] = {
    {"compose", "compose pargen.xml into bin/bank1.bin and bin/bankg.c", RunComposeCommand},
    {"patch", "merge a bank file into an S-record firmware", RunPatchCommand},
    {"update", "Update Device without windows: compose, patch, start the flasher",
     RunUpdateCommand},
    {"inspect", "show what a bank1.bin or a firmware file configures", RunInspectCommand},
    {"ping", "check that the device answers at an address (ICMP echo)", RunPingCommand},
    {"probe", "read every translate table row from the gateway (Modbus TCP)", RunProbeCommand},
    {"xml-tree", "print the tree of an XML file as the XML tool shows it", RunXmlTree},
    {"new-project", "make a project folder with the default pargen.xml and an empty var.xml",
     RunNewProjectCommand},
    {"verify", "whether a firmware carries a project's configuration", RunVerifyCommand},
    {"diff", "the configuration fields that differ between two projects or firmwares",
     RunDiffCommand},
    {"check", "every problem of a project, each with its file and row", RunCheckCommand},
    {"clone", "one project per row of a sites table, from a template project", RunCloneCommand},
    {"table", "show, save, export or import a CANopen table (sdo, rpdodef)", RunTableCommand},
    {"report", "the commissioning report of a project, as PDF or HTML", RunReportCommand},
};

// The report lays out text, which needs Qt's fonts and so a GUI application; it runs on the
// offscreen platform unless told otherwise, so that no display is needed.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], "report") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

void usage() {
    CliOut(QStringLiteral("usage: quenzor-cli COMMAND [ARGS...]\n\ncommands:"));
    for (const CliCommand& c : kCommands)
        CliOut(QStringLiteral("  %1  %2")
                   .arg(QString::fromLatin1(c.name), -12)
                   .arg(QString::fromLatin1(c.summary)));
    CliOut(QStringLiteral("\n'quenzor-cli COMMAND --help' describes one command.\n"
                          "QUENZOR_PROGRAM_DIR overrides the program folder (MASTER, flasher)."));
}

} // namespace

void CliOut(const QString& text) {
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

void CliErr(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

namespace {
QStringList unfaithfulArguments;
} // namespace

bool ArgumentIsFaithful(const QString& argument) {
    return !unfaithfulArguments.contains(argument);
}

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Firmware Quenzor"));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        const QString decoded = QString::fromLocal8Bit(raw);
        if (decoded.toLocal8Bit() != raw)
            unfaithfulArguments << decoded;
    }
    if (args.isEmpty() || args.first() == QStringLiteral("--help") ||
        args.first() == QStringLiteral("-h")) {
        usage();
        return args.isEmpty() ? 2 : 0;
    }
    const QString name = args.takeFirst();
    for (const CliCommand& c : kCommands)
        if (name == QLatin1String(c.name))
            return c.run(args);
    CliErr(QStringLiteral("quenzor-cli: unknown command '%1' (see quenzor-cli --help)").arg(name));
    return 2;
}

// quenzor-cli verify and diff: whether a firmware carries a project's configuration, and which
// fields differ between two projects, bank files or firmwares.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "common/PrintableText.h"
#include "firmware/ImageSource.h"

#include <QDir>

namespace {

const char kVerifyUsage[] =
    "usage: quenzor-cli verify PROJECT_DIR FIRMWARE\n\n"
    "Whether FIRMWARE (an S-record firmware or a bank1.bin) carries the configuration of\n"
    "PROJECT_DIR's pargen.xml: every field compared, the firmware's time stamp reported but\n"
    "not compared. Nothing is written.\n"
    "Exit status: 0 the same, 1 different, 2 usage, 4 an input could not be read.";

const char kDiffUsage[] =
    "usage: quenzor-cli diff A B\n\n"
    "The configuration fields that differ between A and B, each a project folder, a bank1.bin\n"
    "or an S-record firmware, by name with both values. The time stamps are not compared.\n"
    "Exit status: 0 the same, 1 different, 2 usage, 4 an input could not be read.";

constexpr int kUnreadable = 4;

int printDifferences(const QList<FieldDifference>& differences, const QString& firstName,
                     const QString& secondName) {
    for (const FieldDifference& d : differences)
        CliOut(d.second.isEmpty() ? QStringLiteral("%1: %2").arg(d.field, d.first)
                                  : QStringLiteral("%1: %2 in %3, %4 in %5")
                                        .arg(d.field, d.first, firstName, d.second, secondName));
    return differences.isEmpty() ? 0 : 1;
}

} // namespace

int RunVerifyCommand(const QStringList& args) {
    CommandLine line(kVerifyUsage);
    if (const auto status = line.parse(args, 2, 2))
        return *status;
    const Result<ImageSource> project = LoadImageSource(line.positional()[0]);
    const Result<ImageSource> firmware = LoadImageSource(line.positional()[1]);
    for (const Result<ImageSource>* r : {&project, &firmware})
        if (!*r) {
            CliErr(PrintableText(r->error()));
            return kUnreadable;
        }
    if (project->kind != ImageSourceKind::Project) {
        CliErr(QStringLiteral("quenzor-cli: %1 is not a project folder")
                   .arg(PrintableText(line.positional()[0])));
        return 2;
    }
    const QString shown = PrintableText(QDir::toNativeSeparators(line.positional()[1]));
    CliOut(QStringLiteral("Firmware composed: ") + ImageStampText(firmware->image));
    const QList<FieldDifference> differences = CompareImages(project->image, firmware->image);
    if (differences.isEmpty()) {
        CliOut(QStringLiteral("%1 carries this project's configuration.").arg(shown));
        return 0;
    }
    CliOut(QStringLiteral("%1 does not carry this project's configuration:").arg(shown));
    return printDifferences(differences, QStringLiteral("the project"),
                            QStringLiteral("the firmware"));
}

int RunDiffCommand(const QStringList& args) {
    CommandLine line(kDiffUsage);
    if (const auto status = line.parse(args, 2, 2))
        return *status;
    const Result<ImageSource> a = LoadImageSource(line.positional()[0]);
    const Result<ImageSource> b = LoadImageSource(line.positional()[1]);
    for (const Result<ImageSource>* r : {&a, &b})
        if (!*r) {
            CliErr(PrintableText(r->error()));
            return kUnreadable;
        }
    return printDifferences(CompareImages(a->image, b->image), QStringLiteral("A"),
                            QStringLiteral("B"));
}

// quenzor-cli report: the commissioning report of a project as a PDF or an HTML page.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "common/PrintableText.h"
#include "report/ReportDocument.h"

#include <QDir>

namespace {

const char kUsage[] =
    "usage: quenzor-cli report PROJECT_DIR -o FILE.pdf|FILE.html\n\n"
    "Writes the commissioning report of PROJECT_DIR: the project, the general parameters as\n"
    "pargen.xml holds them and as the composed image carries them, the translate table, the\n"
    "CANopen tables present, the image's SHA-256 and time stamp, New_sx93051.sx's SHA-256 and\n"
    "size when it exists, probe.json's values when it exists, and the program version. The\n"
    "image is composed in memory; nothing in PROJECT_DIR is written. FILE's extension picks\n"
    "the format; the PDF needs no display. SOURCE_DATE_EPOCH, when set, is the time of the\n"
    "report and of its image.\n"
    "Exit status: 0 written, 1 failure (message on standard error), 2 usage.";

} // namespace

int RunReportCommand(const QStringList& args) {
    CommandLine line(kUsage);
    line.addOption(QStringLiteral("o"), QStringLiteral("FILE"));
    if (const auto status = line.parse(args, 1, 1))
        return *status;
    const QString output = line.value(QStringLiteral("o"));
    if (output.isEmpty())
        return line.usageError(QStringLiteral("missing -o FILE"));
    if (!IsReportPath(output))
        return line.usageError(QStringLiteral("FILE must end in .pdf or .html"));
    const Result<CommissioningReport> report = BuildCommissioningReport(line.positional().first());
    if (!report) {
        CliErr(QStringLiteral("quenzor-cli: ") + PrintableText(report.error()));
        return 1;
    }
    if (Result<> written = WriteReport(*report, output); !written) {
        CliErr(QStringLiteral("quenzor-cli: ") + PrintableText(written.error()));
        return 1;
    }
    CliOut(QDir::toNativeSeparators(output));
    return 0;
}

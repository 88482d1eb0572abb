// quenzor-cli compose: the image step of Update Device, pargen.xml into bin/bank1.bin and
// bin/bankg.c, with nothing written when the composition fails.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "common/FileIO.h"
#include "image/ImageWriters.h"
#include "project/ProjectLayout.h"

#include <QDir>
#include <QFileInfo>

namespace {

const char kUsage[] =
    "usage: quenzor-cli compose PROJECT_DIR\n\n"
    "Composes the configuration image from PROJECT_DIR/pargen.xml and writes it as\n"
    "PROJECT_DIR/bin/bank1.bin and PROJECT_DIR/bin/bankg.c. When pargen.xml cannot be read\n"
    "whole, nothing is written and the message names the file and the element.\n"
    "SOURCE_DATE_EPOCH, when set, stamps the image with that instant instead of the clock.\n"
    "Exit status: 0 both files written, 1 failure (message on standard error), 2 usage.";

} // namespace

int RunComposeCommand(const QStringList& args) {
    CommandLine line(kUsage);
    if (const auto status = line.parse(args, 1, 1))
        return *status;
    const QString project =
        QDir::toNativeSeparators(QFileInfo(line.positional().first()).absoluteFilePath());
    ConfigImage image;
    if (Result<> saved = ComposeAndSaveImage(image, ProjectLayout::PargenPath(project), project);
        !saved) {
        CliErr(saved.error());
        return 1;
    }
    CliOut(QDir::toNativeSeparators(ImageBinPath(project)));
    CliOut(QDir::toNativeSeparators(ImageCPath(project)));
    return 0;
}

// quenzor-cli patch: the S-record patcher alone, on any base firmware and bank folder.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "common/ConsolePrompter.h"
#include "common/IntegerText.h"
#include "firmware/BankWindow.h"
#include "firmware/FirmwarePatcher.h"

#include <QDir>
#include <QFileInfo>

namespace {

const char kUsage[] =
    "usage: quenzor-cli patch BASE_SX BIN_DIR OUT_SX [--bank N]\n\n"
    "Merges BIN_DIR/bankN.bin (N from 1 to 5, default 1) into the S-record firmware BASE_SX\n"
    "and writes OUT_SX: the records of bank N's window are replaced by 512 records made from\n"
    "the bank file; every other line is copied. OUT_SX is replaced only when the merge\n"
    "succeeds. The result code is the last line of standard output:\n"
    "  1  the bank records were placed and an S9 record was met\n"
    "  0  the base firmware has no record in the bank window (nothing placed)\n"
    " -1  no S9 record was met, or the patch failed\n"
    "Messages go to standard error.\n"
    "Exit status: 0 result 1, 1 a message was raised, 3 result 0 or -1 without a message,\n"
    "2 usage.";

} // namespace

int RunPatchCommand(const QStringList& args) {
    CommandLine line(kUsage);
    line.addOption(QStringLiteral("bank"), QStringLiteral("N"));
    if (const auto status = line.parse(args, 3, 3))
        return *status;
    int bank = 1;
    if (line.isSet(QStringLiteral("bank"))) {
        const auto value = ParseIntegerText(line.value(QStringLiteral("bank")));
        if (!value || !IsValidBank(*value)) {
            CliErr(QString::fromLatin1(kUsage));
            return 2;
        }
        bank = *value;
    }
    const QStringList positional = line.positional();

    const QFileInfo out(positional[2]);
    ConsolePrompter prompter;
    NoPatchProgress progress;
    const int result =
        PatchFirmwareBank(bank, false, positional[0], out.fileName(), positional[1],
                          QDir::toNativeSeparators(out.absolutePath()), progress, prompter);
    CliOut(QString::number(result));
    if (prompter.shown > 0)
        return 1;
    return result == 1 ? 0 : 3;
}

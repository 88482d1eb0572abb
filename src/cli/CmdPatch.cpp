// quenzor-cli patch: the S-record patcher alone, on any base firmware and bank folder.
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

int usageError() {
    CliErr(QString::fromLatin1(kUsage));
    return 2;
}

} // namespace

int RunPatchCommand(const QStringList& args) {
    if (WantsHelp(args)) {
        CliOut(QString::fromLatin1(kUsage));
        return 0;
    }
    QStringList positional;
    int bank = 1;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--bank")) {
            if (i + 1 >= args.size())
                return usageError();
            const auto value = ParseIntegerText(args[++i]);
            if (!value || !IsValidBank(*value))
                return usageError();
            bank = *value;
        } else if (args[i].startsWith(QLatin1String("--"))) {
            return usageError();
        } else {
            positional << args[i];
        }
    }
    if (positional.size() != 3)
        return usageError();

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

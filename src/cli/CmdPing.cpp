// quenzor-cli ping: the main window's device check from a terminal, with the same texts.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "ping/PingDevice.h"

namespace {

const char kUsage[] = "usage: quenzor-cli ping ADDRESS\n\n"
                      "Sends one ICMP echo request to ADDRESS (dotted IPv4 or host name) and\n"
                      "waits up to 5 s for the answer. Prints \"Device Found!\", \"Device Not "
                      "Found!\"\nor \"Error!!! Check the Ip Address\"; the reason goes to "
                      "standard error.\n"
                      "Exit status: 0 found, 1 not found, 2 usage, 3 error.";

} // namespace

int RunPingCommand(const QStringList& args) {
    CommandLine line(kUsage);
    if (const auto status = line.parse(args, 1, 1))
        return *status;
    IcmpEchoClient Ping1;
    int PingReplyState = kPingNoReport;
    Ping1.OnReply = [&](const EchoReplyStatus& status) {
        PingReplyState = PingReplyStateFor(status);
    };
    const PingResult result =
        RunPingDevice(Ping1, PingReplyState, line.positional().first(), ThreadPingLoopHooks());
    CliOut(result.text);
    if (!result.detail.isEmpty())
        CliErr(result.detail);
    return result.kind == 0 ? 0 : result.kind == 1 ? 1 : 3;
}

// quenzor-cli probe: asks the gateway over Modbus TCP for every block of the translate table,
// once, or round after round while the plant runs.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "common/IntegerText.h"
#include "parameters/GeneralParameters.h"
#include "probe/GatewayProbe.h"
#include "project/Workspace.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTime>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <set>

namespace {

const char kUsage[] =
    "usage: quenzor-cli probe PROJECT_DIR [--address A] [--port P] [--timeout MS]\n"
    "                         [--watch SECONDS] [--save]\n\n"
    "Connects to the gateway over Modbus TCP, by default at the IP address and TCP port of\n"
    "PROJECT_DIR/pargen.xml, and reads every row of PROJECT_DIR/var.xml: from its TCP address,\n"
    "its number of points, with the function code of its data type (1 coils, 2 discrete\n"
    "inputs, 3 holding registers, 4 input registers) and its RTU device as the unit.\n"
    "One line per row says whether it answered (with the first values read), the exception\n"
    "by its name or the time-out; a summary follows. Rows of 0 points are not read.\n"
    "--timeout MS    how long to wait to connect and for each answer (default: the RS485\n"
    "                time-out of pargen.xml plus 1000 ms)\n"
    "--watch SECONDS probe again every SECONDS and show the rows that changed; Ctrl-C ends\n"
    "                with the summary of the last whole round\n"
    "--save          keep the results, with the time of the probe, in PROJECT_DIR/probe.json\n"
    "Exit status: 0 every row answered, 1 some did not (or --save failed), 2 usage or a\n"
    "project that cannot be probed, 3 the gateway did not accept the connection.";

int usageError(const QString& reason) {
    CliErr(QString::fromLatin1(kUsage));
    CliErr(QStringLiteral("\nquenzor-cli: ") + reason);
    return 2;
}

// Takes the option's value when it is given and lies in min..max.
bool readNumber(const CommandLine& line, const QString& name, int min, int max, int& value) {
    if (!line.isSet(name))
        return true;
    const auto number = ParseIntegerText(line.value(name));
    if (!number || *number < min || *number > max)
        return false;
    value = *number;
    return true;
}

// While watching, Ctrl-C and SIGTERM are held back and asked for between rows and rounds, so
// that no answer is cut off and the summary still comes.
class HeldSignals {
public:
    explicit HeldSignals(bool hold) : hold_(hold) {
        sigemptyset(&set_);
        sigaddset(&set_, SIGINT);
        sigaddset(&set_, SIGTERM);
        if (hold_)
            pthread_sigmask(SIG_BLOCK, &set_, &old_);
    }
    ~HeldSignals() {
        if (!hold_)
            return;
        // Taken here, so that unblocking does not deliver it after the summary.
        const timespec now{};
        while (sigtimedwait(&set_, nullptr, &now) > 0) {
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

    bool arrived() {
        if (!hold_ || arrived_)
            return arrived_;
        sigset_t pending;
        sigpending(&pending);
        arrived_ = sigismember(&pending, SIGINT) || sigismember(&pending, SIGTERM);
        return arrived_;
    }

    // Waits up to `ms`; true when a signal came.
    bool waitFor(qint64 ms) {
        if (arrived())
            return true;
        QElapsedTimer clock;
        clock.start();
        for (qint64 left = ms; left > 0; left = ms - clock.elapsed()) {
            const timespec wait{time_t(left / 1000), long(left % 1000) * 1000000L};
            if (sigtimedwait(&set_, nullptr, &wait) > 0)
                return arrived_ = true;
            if (errno != EINTR)
                return false;
        }
        return false;
    }

private:
    bool hold_;
    bool arrived_ = false;
    sigset_t set_;
    sigset_t old_;
};

} // namespace

int RunProbeCommand(const QStringList& args) {
    CommandLine line(kUsage);
    line.addOption(QStringLiteral("address"), QStringLiteral("A"));
    line.addOption(QStringLiteral("port"), QStringLiteral("P"));
    line.addOption(QStringLiteral("timeout"), QStringLiteral("MS"));
    line.addOption(QStringLiteral("watch"), QStringLiteral("SECONDS"));
    line.addOption(QStringLiteral("save"));
    if (const auto status = line.parse(args, 1, 1))
        return *status;
    int port = 0;
    int timeoutMs = 0;
    int watchSeconds = 0;
    if (!readNumber(line, QStringLiteral("port"), 1, 65535, port))
        return usageError(QStringLiteral("--port must be a number from 1 to 65535"));
    if (!readNumber(line, QStringLiteral("timeout"), 1, 600000, timeoutMs))
        return usageError(QStringLiteral("--timeout must be a number of milliseconds from 1 to "
                                         "600000"));
    if (!readNumber(line, QStringLiteral("watch"), 1, 86400, watchSeconds))
        return usageError(QStringLiteral("--watch must be a number of seconds from 1 to 86400"));
    QString address = line.value(QStringLiteral("address"));
    if (line.isSet(QStringLiteral("address")) && address.isEmpty())
        return usageError(QStringLiteral("empty --address"));

    const QString project = line.positional().first();
    Workspace ws;
    ws.ProjectFolder = QDir::toNativeSeparators(QFileInfo(project).absoluteFilePath());
    RefreshProjectPaths(ws);
    if (!QFileInfo(ws.ProjectFolder).isDir()) {
        CliErr(QStringLiteral("quenzor-cli: \"%1\" is not a project folder").arg(project));
        return 2;
    }
    const LoadedParameters parameters = LoadParameters(ws.PargenPath);
    if (parameters.error) {
        CliErr(*parameters.error);
        return 2;
    }
    const QString pargen = QDir::toNativeSeparators(ws.PargenPath);
    if (!line.isSet(QStringLiteral("address"))) {
        const Result<QString> configured = GatewayAddress(parameters.values);
        if (!configured) {
            CliErr(QStringLiteral("\"%1\": %2 Give the gateway's address with --address.")
                       .arg(pargen, configured.error()));
            return 2;
        }
        address = *configured;
    }
    if (!line.isSet(QStringLiteral("port"))) {
        const Result<int> configured = GatewayPort(parameters.values);
        if (!configured) {
            CliErr(QStringLiteral("\"%1\": %2").arg(pargen, configured.error()));
            return 2;
        }
        port = *configured;
    }
    if (!line.isSet(QStringLiteral("timeout")))
        timeoutMs = DefaultProbeTimeoutMs(parameters.values);
    if (!TranslateTableInUse(parameters.values))
        CliErr(QStringLiteral("\"%1\" sets %2, in which the gateway does not use the translate "
                              "table.")
                   .arg(pargen, kModeNames[0]));
    const Result<QList<TMyRec>> rows = LoadProbeRows(ws.VarPath);
    if (!rows) {
        CliErr(rows.error());
        return 2;
    }

    ModbusClient client(address, port, timeoutMs);
    HeldSignals held(watchSeconds > 0);
    const auto stopRequested = [&held] { return held.arrived(); };
    CliOut(ProbeHeadline(client, rows->size()));
    QElapsedTimer sinceRound;
    sinceRound.start();
    ProbeRound last = ProbeTranslateRows(client, *rows, stopRequested,
                                         [](const RowProbe& p) { CliOut(ProbeRowLine(p)); });

    if (watchSeconds > 0 && last.complete()) {
        int rounds = 1;
        ProbeRound compared = last; // the last round that reached the gateway
        std::set<int> changedLines;
        while (!held.waitFor(qint64(watchSeconds) * 1000 - sinceRound.elapsed())) {
            sinceRound.restart();
            ProbeRound now = ProbeTranslateRows(client, *rows, stopRequested);
            if (!now.complete() && now.connectionError.isEmpty())
                break; // stopped midway: the last whole round stands
            ++rounds;
            const QString at = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
            if (!now.connectionError.isEmpty()) {
                CliOut(QStringLiteral("round %1 at %2: %3")
                           .arg(rounds)
                           .arg(at, ProbeSummaryLine(now)));
            } else {
                const auto changed = ChangedRows(compared, now);
                for (const qsizetype i : changed)
                    changedLines.insert(int(i) + 1);
                const QString what = changed.empty() ? QStringLiteral("no change")
                                     : changed.size() == 1
                                         ? QStringLiteral("1 row changed")
                                         : QStringLiteral("%1 rows changed").arg(changed.size());
                CliOut(QStringLiteral("round %1 at %2: %3").arg(rounds).arg(at, what));
                for (const QString& l : ChangeLines(compared, now))
                    CliOut(l);
                compared = now;
            }
            last = std::move(now);
        }
        QStringList lines;
        for (const int l : changedLines)
            lines << QString::number(l);
        CliOut(QStringLiteral("stopped after %1 rounds; %2")
                   .arg(rounds)
                   .arg(lines.isEmpty() ? QStringLiteral("no row changed")
                                        : QStringLiteral("rows that changed: ") +
                                              lines.join(QStringLiteral(", "))));
    }
    CliOut(ProbeSummaryLine(last));

    int status = !last.connectionError.isEmpty() ? 3 : last.everyRowAnswered() ? 0 : 1;
    if (line.isSet(QStringLiteral("save"))) {
        if (Result<> saved = SaveProbeResults(last, ws.ProjectFolder); !saved) {
            CliErr(saved.error());
            status = std::max(status, 1);
        }
    }
    return status;
}

#include "probe/GatewayProbe.h"

#include "project/ProjectLayout.h"

#include "common/FileIO.h"
#include "common/IntegerText.h"
#include "parameters/GeneralParameters.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

constexpr int kValuesShown = 8;

QString dataTypeName(int code) {
    return code >= 1 && code <= kDataTypeNames.size() ? kDataTypeNames[code - 1]
                                                      : QString::number(code);
}

QString hostAndPort(const QString& address, int port) {
    const QString host =
        address.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(address) : address;
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

QString counted(qsizetype n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

QString outcomeText(const ReadReply& reply) {
    switch (reply.outcome) {
    case ReadOutcome::Answered: {
        QStringList shown;
        for (std::size_t i = 0; i < reply.values.size() && i < kValuesShown; ++i)
            shown << QString::number(reply.values[i]);
        if (reply.values.size() > kValuesShown)
            shown << QStringLiteral("...");
        return QStringLiteral("answered: ") + shown.join(QLatin1Char(' '));
    }
    case ReadOutcome::Exception:
        return QStringLiteral("exception %1 (%2)")
            .arg(QStringLiteral("%1").arg(reply.exceptionCode, 2, 16, QLatin1Char('0')).toUpper(),
                 reply.message);
    case ReadOutcome::TimedOut:
        return QStringLiteral("time-out (%1)").arg(reply.message);
    case ReadOutcome::Failed:
        return QStringLiteral("failed (%1)").arg(reply.message);
    case ReadOutcome::NothingToRead:
        return QStringLiteral("not read (%1)").arg(reply.message);
    }
    return {};
}

const char* outcomeName(ReadOutcome outcome) {
    switch (outcome) {
    case ReadOutcome::Answered:
        return "answered";
    case ReadOutcome::Exception:
        return "exception";
    case ReadOutcome::TimedOut:
        return "time-out";
    case ReadOutcome::Failed:
        return "failed";
    case ReadOutcome::NothingToRead:
        return "not read";
    }
    return "";
}

} // namespace

Result<QString> GatewayAddress(const GeneralParameters& values) {
    QStringList octets;
    bool allZero = true;
    for (const QString& text : values.ip) {
        const auto octet = ParseIntegerText(text);
        if (!octet || *octet < 0 || *octet > 255)
            return Fail(
                QStringLiteral("The IP address \"%1\" is not valid.").arg(PingAddress(values)));
        allZero = allZero && *octet == 0;
        octets << QString::number(*octet);
    }
    if (allZero)
        return Fail(QStringLiteral("No IP address is set (0.0.0.0)."));
    return octets.join(QLatin1Char('.'));
}

Result<int> GatewayPort(const GeneralParameters& values) {
    const int port = PortValue(values);
    if (port < 1 || port > 65535)
        return Fail(
            QStringLiteral("The TCP port \"%1\" is not between 1 and 65535.").arg(values.port));
    return port;
}

int DefaultProbeTimeoutMs(const GeneralParameters& values) {
    return std::clamp(IntegerTextOr(values.timeOut, 1000), 0, 59000) + 1000;
}

Result<QList<TMyRec>> LoadProbeRows(const QString& varPath) {
    if (const QString problem = CheckRegularFile(varPath); !problem.isEmpty())
        return Fail(problem);
    TranslateTableModel model;
    if (Result<> loaded = LoadTranslateTable(model, varPath); !loaded)
        return Fail(loaded.error());
    QList<TMyRec> rows;
    if (Result<> valid = ValidateTranslateTable(model, rows); !valid)
        return Fail(QStringLiteral("Line %1 of \"%2\": %3")
                        .arg(rows.size() + 1)
                        .arg(QDir::toNativeSeparators(varPath), valid.error().trimmed()));
    return rows;
}

bool ProbeRound::complete() const {
    return connectionError.isEmpty() && qsizetype(rows.size()) == tableRows;
}

bool ProbeRound::everyRowAnswered() const {
    return complete() && std::all_of(rows.begin(), rows.end(), [](const RowProbe& p) {
               return p.reply.outcome == ReadOutcome::Answered ||
                      p.reply.outcome == ReadOutcome::NothingToRead;
           });
}

ProbeRound ProbeTranslateRows(ModbusClient& client, const QList<TMyRec>& rows,
                              const std::function<bool()>& stopRequested,
                              const std::function<void(const RowProbe&)>& rowDone) {
    ProbeRound round;
    round.address = client.address();
    round.port = client.port();
    round.timeoutMs = client.timeoutMs();
    round.time = QDateTime::currentDateTimeUtc();
    round.tableRows = int(rows.size());
    // A connection of its own for each round: a gateway may drop one left idle in between.
    if (Result<> connected = client.connect(); !connected) {
        round.connectionError = connected.error();
        return round;
    }
    QString linkDown;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (stopRequested && stopRequested())
            break;
        RowProbe probe{int(i + 1), rows[i], {}};
        const TMyRec& row = rows[i];
        if (row.NPoint > 0 && !client.connected() && linkDown.isEmpty()) {
            if (Result<> again = client.connect(); !again)
                linkDown = QStringLiteral("cannot connect again: ") + again.error();
        }
        if (row.NPoint > 0 && !linkDown.isEmpty())
            probe.reply.message = linkDown;
        else
            probe.reply = client.read(row.DataType, row.RtuAddDev, row.TcpAddress, row.NPoint);
        round.rows.push_back(std::move(probe));
        if (rowDone)
            rowDone(round.rows.back());
    }
    client.close();
    return round;
}

QString ProbeHeadline(const ModbusClient& client, qsizetype rowCount) {
    return QStringLiteral("Probing %1 with a time-out of %2 ms: %3 of var.xml")
        .arg(hostAndPort(client.address(), client.port()))
        .arg(client.timeoutMs())
        .arg(counted(rowCount, "row", "rows"));
}

QString ProbeRowLine(const RowProbe& probe) {
    const TMyRec& row = probe.row;
    const QString range =
        row.NPoint > 1
            ? QStringLiteral("%1-%2").arg(row.TcpAddress).arg(int(row.TcpAddress) + row.NPoint - 1)
            : QString::number(row.TcpAddress);
    return QStringLiteral("row %1  %2  TCP %3  RTU device %4  %5")
        .arg(QString::number(probe.line).leftJustified(4),
             dataTypeName(row.DataType).leftJustified(16), range.leftJustified(11),
             QString::number(row.RtuAddDev).leftJustified(3), outcomeText(probe.reply));
}

QString ProbeSummaryLine(const ProbeRound& round) {
    if (!round.connectionError.isEmpty())
        return QStringLiteral("%1 did not accept the connection: %2")
            .arg(hostAndPort(round.address, round.port), round.connectionError);
    qsizetype count[5] = {};
    for (const RowProbe& p : round.rows)
        ++count[int(p.reply.outcome)];
    QString line = QStringLiteral("%1 of %2 answered")
                       .arg(count[int(ReadOutcome::Answered)])
                       .arg(counted(round.tableRows, "row", "rows"));
    if (const qsizetype n = count[int(ReadOutcome::Exception)])
        line += QStringLiteral(", ") + counted(n, "exception", "exceptions");
    if (const qsizetype n = count[int(ReadOutcome::TimedOut)])
        line += QStringLiteral(", ") + counted(n, "time-out", "time-outs");
    if (const qsizetype n = count[int(ReadOutcome::Failed)])
        line += QStringLiteral(", %1 failed").arg(n);
    if (const qsizetype n = count[int(ReadOutcome::NothingToRead)])
        line += QStringLiteral(", %1 not read (0 points)").arg(n);
    if (!round.complete())
        line += QStringLiteral("; stopped before row %1").arg(round.rows.size() + 1);
    return line;
}

std::vector<qsizetype> ChangedRows(const ProbeRound& before, const ProbeRound& now) {
    std::vector<qsizetype> changed;
    const std::size_t n = std::min(before.rows.size(), now.rows.size());
    for (std::size_t i = 0; i < n; ++i)
        if (before.rows[i].reply != now.rows[i].reply)
            changed.push_back(qsizetype(i));
    return changed;
}

QStringList ChangeLines(const ProbeRound& before, const ProbeRound& now) {
    QStringList lines;
    for (const qsizetype i : ChangedRows(before, now)) {
        const RowProbe& was = before.rows[std::size_t(i)];
        const RowProbe& is = now.rows[std::size_t(i)];
        lines << ProbeRowLine(is);
        if (was.reply.values.size() != is.reply.values.size())
            continue;
        QStringList values;
        int more = 0;
        for (std::size_t v = 0; v < is.reply.values.size(); ++v) {
            if (was.reply.values[v] == is.reply.values[v])
                continue;
            if (values.size() == kValuesShown) {
                ++more;
                continue;
            }
            values << QStringLiteral("TCP %1: %2 -> %3")
                          .arg(int(is.row.TcpAddress) + int(v))
                          .arg(was.reply.values[v])
                          .arg(is.reply.values[v]);
        }
        if (more)
            values << QStringLiteral("and %1 more").arg(more);
        if (!values.isEmpty())
            lines << QStringLiteral("    ") + values.join(QStringLiteral(", "));
    }
    return lines;
}

QByteArray ProbeJson(const ProbeRound& round) {
    QJsonObject top;
    top[QStringLiteral("time")] = round.time.toString(Qt::ISODateWithMs);
    top[QStringLiteral("address")] = round.address;
    top[QStringLiteral("port")] = round.port;
    top[QStringLiteral("timeout_ms")] = round.timeoutMs;
    if (!round.connectionError.isEmpty())
        top[QStringLiteral("connection_error")] = round.connectionError;
    top[QStringLiteral("complete")] = round.complete();
    top[QStringLiteral("summary")] = ProbeSummaryLine(round);
    QJsonArray rows;
    for (const RowProbe& p : round.rows) {
        QJsonObject row;
        row[QStringLiteral("row")] = p.line;
        row[QStringLiteral("data_type")] = dataTypeName(p.row.DataType);
        row[QStringLiteral("tcp_address")] = p.row.TcpAddress;
        row[QStringLiteral("points")] = p.row.NPoint;
        row[QStringLiteral("rtu_device")] = p.row.RtuAddDev;
        row[QStringLiteral("rtu_address")] = p.row.RtuAddress;
        row[QStringLiteral("mnemonic")] = p.row.Mnemonic;
        row[QStringLiteral("outcome")] = QLatin1String(outcomeName(p.reply.outcome));
        if (p.reply.outcome == ReadOutcome::Exception)
            row[QStringLiteral("exception_code")] = p.reply.exceptionCode;
        if (!p.reply.message.isEmpty())
            row[QStringLiteral("message")] = p.reply.message;
        QJsonArray values;
        for (const std::uint16_t v : p.reply.values)
            values.append(v);
        row[QStringLiteral("values")] = values;
        rows.append(row);
    }
    top[QStringLiteral("rows")] = rows;
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

Result<> SaveProbeResults(const ProbeRound& round, const QString& projectFolder) {
    return WriteFileAtomically(ProjectLayout::ProbeResultsPath(projectFolder), ProbeJson(round));
}

// The probe of a project's gateway: the address, port and time-out its pargen.xml gives, a
// Modbus TCP read of every var.xml row, the lines that show each outcome, what changed from
// one round to the next, and the results kept in the project folder.
#pragma once

#include "common/Result.h"
#include "parameters/TranslateTable.h"
#include "probe/ModbusClient.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

struct GeneralParameters;

// The last saved probe, in the project folder.

// The IP address in dotted decimal. Fails when an octet is not 0 to 255 or when it is
// 0.0.0.0, which a new project holds and which would reach this machine itself.
Result<QString> GatewayAddress(const GeneralParameters& values);
Result<int> GatewayPort(const GeneralParameters& values);
// The RS485 time-out and a second more, so that the gateway's own "target failed to respond"
// arrives before the probe gives up.
int DefaultProbeTimeoutMs(const GeneralParameters& values);

// The rows a save of the translate table stores. Fails when var.xml is missing, cannot be
// read whole, or holds a row its checks refuse (the message names the line).
Result<QList<TMyRec>> LoadProbeRows(const QString& varPath);

struct RowProbe {
    int line = 0; // in the table, from 1
    TMyRec row;
    ReadReply reply;
};

struct ProbeRound {
    QString address;
    int port = 0;
    int timeoutMs = 0;
    QDateTime time;             // when the round began, UTC
    QString connectionError;    // the gateway did not accept the connection; nothing was read
    std::vector<RowProbe> rows; // in table order; fewer than tableRows when it was stopped
    int tableRows = 0;

    bool complete() const;
    // Rows of 0 points are not read and do not count against it.
    bool everyRowAnswered() const;
};

// Opens a connection for the round, reads every row in table order (function code = data
// type, unit = RTU device) and closes it. `stopRequested` is asked before each row. After a
// time-out the next row gets a new connection; when that is refused, the remaining rows fail
// with the reason without trying. `rowDone` sees each row as soon as it is read.
ProbeRound ProbeTranslateRows(ModbusClient& client, const QList<TMyRec>& rows,
                              const std::function<bool()>& stopRequested = {},
                              const std::function<void(const RowProbe&)>& rowDone = {});

QString ProbeHeadline(const ModbusClient& client, qsizetype rowCount);
QString ProbeRowLine(const RowProbe& probe);
QString ProbeSummaryLine(const ProbeRound& round);

// Indices of the rows whose outcome or values differ between the two rounds.
std::vector<qsizetype> ChangedRows(const ProbeRound& before, const ProbeRound& now);
// For each changed row its new line and, when both rounds read it, the addresses whose
// values changed.
QStringList ChangeLines(const ProbeRound& before, const ProbeRound& now);

QByteArray ProbeJson(const ProbeRound& round);
// Replaces the project's probe results file (ProjectLayout::ProbeResultsPath).
Result<> SaveProbeResults(const ProbeRound& round, const QString& projectFolder);

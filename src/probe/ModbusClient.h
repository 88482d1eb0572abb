// A Modbus TCP client for the four read functions of the translate table, on libmodbus: one
// connection with a time-out for connecting and for every answer, exceptions by their names.
#pragma once

#include "common/Result.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

enum class ReadOutcome { Answered, Exception, TimedOut, Failed, NothingToRead };

struct ReadReply {
    ReadOutcome outcome = ReadOutcome::Failed;
    int exceptionCode = 0;             // with Exception
    QString message;                   // empty when answered
    std::vector<std::uint16_t> values; // bits read as 0 or 1
    friend bool operator==(const ReadReply&, const ReadReply&) = default;
};

// "illegal data address", "gateway path unavailable", ...; "unknown exception" otherwise.
QString ModbusExceptionName(int code);

class ModbusClient {
public:
    // `address` is a dotted IPv4 address, an IPv6 address or a host name.
    ModbusClient(QString address, int port, int timeoutMs);
    ~ModbusClient();
    ModbusClient(const ModbusClient&) = delete;
    ModbusClient& operator=(const ModbusClient&) = delete;

    // Opens a new connection, dropping the one held. Fails with "connection refused",
    // "no answer within N ms" or the system's reason.
    Result<> connect();
    void close();
    bool connected() const;

    // Reads `count` coils, discrete inputs, holding or input registers (function code 1 to 4)
    // from `address` on unit `unit`. A count beyond what one request may carry is read in
    // several; the first that is not answered ends the read. A count of 0 sends nothing. A
    // time-out or a broken answer closes the connection.
    ReadReply read(int functionCode, int unit, int address, int count);

    const QString& address() const { return address_; }
    int port() const { return port_; }
    int timeoutMs() const { return timeoutMs_; }

private:
    QString failureText(int error) const;

    struct Context;
    QString address_;
    int port_;
    int timeoutMs_;
    std::unique_ptr<Context> ctx_;
};

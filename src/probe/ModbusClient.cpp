#include "probe/ModbusClient.h"

#include <arpa/inet.h>
#include <modbus.h>

#include <algorithm>
#include <cerrno>

struct ModbusClient::Context {
    modbus_t* modbus = nullptr;
    bool open = false;
    ~Context() {
        if (open)
            modbus_close(modbus);
        if (modbus)
            modbus_free(modbus);
    }
};

QString ModbusExceptionName(int code) {
    switch (code) {
    case MODBUS_EXCEPTION_ILLEGAL_FUNCTION:
        return QStringLiteral("illegal function");
    case MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS:
        return QStringLiteral("illegal data address");
    case MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE:
        return QStringLiteral("illegal data value");
    case MODBUS_EXCEPTION_SLAVE_OR_SERVER_FAILURE:
        return QStringLiteral("server device failure");
    case MODBUS_EXCEPTION_ACKNOWLEDGE:
        return QStringLiteral("acknowledge");
    case MODBUS_EXCEPTION_SLAVE_OR_SERVER_BUSY:
        return QStringLiteral("server device busy");
    case MODBUS_EXCEPTION_NEGATIVE_ACKNOWLEDGE:
        return QStringLiteral("negative acknowledge");
    case MODBUS_EXCEPTION_MEMORY_PARITY:
        return QStringLiteral("memory parity error");
    case MODBUS_EXCEPTION_GATEWAY_PATH:
        return QStringLiteral("gateway path unavailable");
    case MODBUS_EXCEPTION_GATEWAY_TARGET:
        return QStringLiteral("gateway target device failed to respond");
    default:
        return QStringLiteral("unknown exception");
    }
}

ModbusClient::ModbusClient(QString address, int port, int timeoutMs)
    : address_(std::move(address)), port_(port), timeoutMs_(timeoutMs),
      ctx_(std::make_unique<Context>()) {}

ModbusClient::~ModbusClient() = default;

QString ModbusClient::failureText(int error) const {
    if (error == ETIMEDOUT)
        return QStringLiteral("no answer within %1 ms").arg(timeoutMs_);
    if (error == ECONNREFUSED)
        return QStringLiteral("connection refused");
    return QString::fromLocal8Bit(modbus_strerror(error));
}

Result<> ModbusClient::connect() {
    close();
    if (!ctx_->modbus) {
        const QByteArray node = address_.toLocal8Bit();
        in_addr ipv4{};
        // The plain IPv4 form needs no name service: getaddrinfo would hide 127.0.0.1 in a
        // namespace that has nothing but loopback.
        if (inet_pton(AF_INET, node.constData(), &ipv4) == 1)
            ctx_->modbus = modbus_new_tcp(node.constData(), port_);
        else
            ctx_->modbus = modbus_new_tcp_pi(node.constData(), QByteArray::number(port_));
        if (!ctx_->modbus)
            return Fail(QStringLiteral("cannot use the address \"%1\"").arg(address_));
        // Connecting waits as long as an answer may.
        modbus_set_response_timeout(ctx_->modbus, std::uint32_t(timeoutMs_ / 1000),
                                    std::uint32_t(timeoutMs_ % 1000) * 1000);
    }
    if (modbus_connect(ctx_->modbus) != 0) {
        // libmodbus gives up on a connection still in progress when the time-out passes.
        const int error = errno == EINPROGRESS ? ETIMEDOUT : errno;
        return Fail(failureText(error));
    }
    ctx_->open = true;
    return Ok();
}

void ModbusClient::close() {
    if (ctx_->open)
        modbus_close(ctx_->modbus);
    ctx_->open = false;
}

bool ModbusClient::connected() const {
    return ctx_->open;
}

ReadReply ModbusClient::read(int functionCode, int unit, int address, int count) {
    ReadReply reply;
    if (count <= 0) {
        reply.outcome = ReadOutcome::NothingToRead;
        reply.message = QStringLiteral("0 points");
        return reply;
    }
    if (!ctx_->open) {
        reply.message = QStringLiteral("not connected");
        return reply;
    }
    if (modbus_set_slave(ctx_->modbus, unit) != 0) {
        reply.message = QStringLiteral("unit %1 cannot be addressed").arg(unit);
        return reply;
    }
    const bool bits = functionCode == 1 || functionCode == 2;
    const int perRequest = bits ? MODBUS_MAX_READ_BITS : MODBUS_MAX_READ_REGISTERS;
    reply.values.reserve(std::size_t(count));
    for (int done = 0; done < count;) {
        const int n = std::min(perRequest, count - done);
        std::vector<std::uint8_t> b(bits ? std::size_t(n) : 0);
        std::vector<std::uint16_t> r(bits ? 0 : std::size_t(n));
        int rc = -1;
        switch (functionCode) {
        case 1:
            rc = modbus_read_bits(ctx_->modbus, address + done, n, b.data());
            break;
        case 2:
            rc = modbus_read_input_bits(ctx_->modbus, address + done, n, b.data());
            break;
        case 3:
            rc = modbus_read_registers(ctx_->modbus, address + done, n, r.data());
            break;
        case 4:
            rc = modbus_read_input_registers(ctx_->modbus, address + done, n, r.data());
            break;
        default:
            reply.values.clear();
            reply.message = QStringLiteral("function code %1 is not a read").arg(functionCode);
            return reply;
        }
        if (rc != n) {
            const int error = rc < 0 ? errno : EMBBADDATA;
            reply.values.clear();
            if (error > MODBUS_ENOBASE && error <= EMBXGTAR) {
                reply.outcome = ReadOutcome::Exception;
                reply.exceptionCode = error - MODBUS_ENOBASE;
                reply.message = ModbusExceptionName(reply.exceptionCode);
            } else {
                reply.outcome = error == ETIMEDOUT ? ReadOutcome::TimedOut : ReadOutcome::Failed;
                reply.message = failureText(error);
                // A late or garbled answer would be taken for the next request's.
                close();
            }
            return reply;
        }
        if (bits)
            reply.values.insert(reply.values.end(), b.begin(), b.end());
        else
            reply.values.insert(reply.values.end(), r.begin(), r.end());
        done += n;
    }
    reply.outcome = ReadOutcome::Answered;
    return reply;
}

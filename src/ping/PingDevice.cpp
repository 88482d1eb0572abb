#include "ping/PingDevice.h"

#include "common/Ansi.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <memory>

namespace {

constexpr int kLoopStepMs = 10;
constexpr qint64 kLoopBoundMs = 10000;

} // namespace

PingResult DeviceFoundResult() {
    return {0, QStringLiteral("Ping! Device Found!"), QStringLiteral("Device Found!"), {}};
}

PingResult DeviceNotFoundResult() {
    return {1, QStringLiteral("Ping! Device Not Found!"), QStringLiteral("Device Not Found!"), {}};
}

PingResult PingErrorResult(const QString& detail) {
    return {2, QStringLiteral("Ping! Error!!!"), QStringLiteral("Error!!! Check the Ip Address"),
            detail};
}

int PingReplyStateFor(const EchoReplyStatus& status) {
    return status.kind == EchoReplyStatus::Kind::EchoReply && status.bytesReceived > 0
               ? kPingDataArrived
               : kPingNoData;
}

PingLoopHooks ThreadPingLoopHooks() {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    return {[clock] { return clock->elapsed(); },
            [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); },
            [] { QCoreApplication::processEvents(); }};
}

PingResult RunPingDevice(IcmpEchoClient& client, int& replyState, const QString& address,
                         const PingLoopHooks& hooks) {
    const qint64 start = hooks.clockMs();
    replyState = kPingNoReport;
    client.Host = address;
    const EchoResult echo = client.Ping(ToAnsi(address));
    if (!echo.error.isEmpty())
        return PingErrorResult(echo.error);
    // The report came before Ping returned, so one pass is the rule; the bound only matters
    // when no report arrives at all.
    do {
        hooks.sleep(kLoopStepMs);
        hooks.processEvents();
    } while (replyState == kPingNoReport && hooks.clockMs() - start <= kLoopBoundMs);
    if (replyState == kPingDataArrived)
        return DeviceFoundResult();
    PingResult result = DeviceNotFoundResult();
    if (echo.reply) {
        const QString from = DottedIpv4(echo.reply->from);
        switch (echo.reply->kind) {
        case EchoReplyStatus::Kind::DestinationUnreachable:
            result.detail = QStringLiteral("%1 reports the destination unreachable").arg(from);
            break;
        case EchoReplyStatus::Kind::TimeExceeded:
            result.detail = QStringLiteral("%1 reports the time to live exceeded").arg(from);
            break;
        default:
            result.detail = QStringLiteral("No echo reply within %1 ms").arg(client.ReceiveTimeout);
        }
    }
    return result;
}

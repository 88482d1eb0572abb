// The ping command of the main window without its dialog: one echo to the address text, the
// short wait loop that keeps the window alive, and the result to show.
#pragma once

#include "ping/IcmpEchoClient.h"

#include <QString>

#include <functional>

// PingReplyState values.
inline constexpr int kPingNoReport = 0;
inline constexpr int kPingDataArrived = 1;
inline constexpr int kPingNoData = 2;

// What the result dialog shows: kind 0 found, 1 not found, 2 error.
struct PingResult {
    int kind = 2;
    QString caption;
    QString text;
    QString detail; // why it was not found or failed; for the terminal, not the dialog
};
PingResult DeviceFoundResult();
PingResult DeviceNotFoundResult();
PingResult PingErrorResult(const QString& detail);

// The reply report's verdict. Only an echo reply means the device answered; an error message
// from a router about our request (unreachable, time exceeded) ends the wait without one.
int PingReplyStateFor(const EchoReplyStatus& status);

// What the wait loop needs from its surroundings.
struct PingLoopHooks {
    std::function<qint64()> clockMs; // monotonic milliseconds
    std::function<void(int ms)> sleep;
    std::function<void()> processEvents;
};
// The real clock, sleep and event processing of the calling thread.
PingLoopHooks ThreadPingLoopHooks();

// Resets `replyState`, pings `address` with the address text as echo data and waits as the
// window does. `client.OnReply` must set `replyState` (through PingReplyStateFor).
PingResult RunPingDevice(IcmpEchoClient& client, int& replyState, const QString& address,
                         const PingLoopHooks& hooks);

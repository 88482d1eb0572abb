// A network namespace of the test's own, so that unreachable and silent hosts can be staged
// without a packet leaving the machine. Needs root; tests skip when it cannot be made.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sched.h>
#include <thread>
#include <unistd.h>

class NetNamespace {
public:
    NetNamespace() {
        static int counter = 0;
        name_ = QStringLiteral("qz-ping-%1-%2").arg(::getpid()).arg(++counter);
        if (::geteuid() != 0) {
            why_ = QStringLiteral("needs root to create a network namespace");
            return;
        }
        made_ = ip({"netns", "add", name_});
        if (!made_) {
            why_ = QStringLiteral("'ip netns add' is not permitted here: ") + error_;
            return;
        }
        ok_ = ip({"-n", name_, "link", "set", "lo", "up"});
        if (!ok_)
            why_ = QStringLiteral("cannot bring up loopback in the namespace: ") + error_;
    }
    ~NetNamespace() {
        if (made_)
            ip({"netns", "del", name_});
    }
    NetNamespace(const NetNamespace&) = delete;
    NetNamespace& operator=(const NetNamespace&) = delete;

    bool ok() const { return ok_; }
    QString why() const { return why_; }
    const QString& name() const { return name_; }

    // Runs `ip -n NAME args...`.
    bool run(const QStringList& args) {
        QStringList all{"-n", name_};
        all += args;
        if (!ip(all)) {
            why_ = QStringLiteral("ip %1: %2").arg(all.join(' '), error_);
            return false;
        }
        return true;
    }

    // Writes a sysctl of the namespace, e.g. "net/ipv4/ping_group_range".
    bool sysctl(const QString& key, const QString& value) {
        QProcess p;
        p.start(QStringLiteral("ip"), {"netns", "exec", name_, "sh", "-c",
                                       QStringLiteral("echo '%1' > /proc/sys/%2").arg(value, key)});
        if (!p.waitForFinished(10000) || p.exitCode() != 0) {
            why_ = QStringLiteral("sysctl %1: %2")
                       .arg(key, QString::fromLocal8Bit(p.readAllStandardError()));
            return false;
        }
        return true;
    }

    // Runs `fn` on a thread that has entered the namespace; never runs it outside. False (and
    // `fn` not run) when the namespace could not be entered.
    template <class F> bool runInside(F fn) {
        bool entered = false;
        std::thread worker([&] {
            const QByteArray path = ("/var/run/netns/" + name_).toLocal8Bit();
            const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                return;
            const bool joined = ::setns(fd, CLONE_NEWNET) == 0;
            ::close(fd);
            if (!joined)
                return;
            entered = true;
            fn();
        });
        worker.join();
        if (!entered)
            why_ = QStringLiteral("cannot enter the network namespace");
        return entered;
    }

private:
    bool ip(const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral("ip"), args);
        if (!p.waitForFinished(10000)) {
            error_ = QStringLiteral("ip did not run");
            return false;
        }
        error_ = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QString name_;
    QString why_;
    QString error_;
    bool made_ = false;
    bool ok_ = false;
};

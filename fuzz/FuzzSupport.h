// What every fuzz target shares: a scratch folder in memory for readers that take a path, and
// a failure that libFuzzer reports with the input that caused it.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace fuzz {

// One folder per process, in /dev/shm when there is one, so a file write costs no disk. It goes
// when the fuzzer ends normally (its children leave by _exit): one folder a run stayed behind in
// shared memory.
inline QString scratchFolder() {
    struct Folder {
        QString path;
        pid_t owner;
        ~Folder() {
            if (getpid() == owner)
                QDir(path).removeRecursively();
        }
    };
    static const Folder folder = [] {
        const QString base =
            QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        const QString path = base + QStringLiteral("/quenzor-fuzz-%1").arg(getpid());
        QDir().mkpath(path);
        return Folder{path, getpid()};
    }();
    return folder.path;
}

inline QString writeScratch(const QString& name, const uint8_t* data, size_t size) {
    const QString path = scratchFolder() + QLatin1Char('/') + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    f.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline void check(bool condition, const char* what) {
    if (!condition)
        fail(what);
}

} // namespace fuzz

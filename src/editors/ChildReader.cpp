#include "editors/ChildReader.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QIODevice>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

extern "C" void __sanitizer_set_death_callback(void (*)(void)) __attribute__((weak));
extern "C" void __sanitizer_set_report_fd(void*) __attribute__((weak));

QByteArray SheetsAnswer(const Result<QList<SheetCells>>& read) {
    QByteArray blob;
    QDataStream out(&blob, QIODevice::WriteOnly);
    out << read.ok() << read.error();
    if (read) {
        out << qint32(read->size());
        for (const SheetCells& s : *read)
            out << s.name << s.error << s.records;
    }
    return blob;
}

std::optional<Result<QList<SheetCells>>> SheetsFromAnswer(const QByteArray& answer) {
    QDataStream in(answer);
    bool ok = false;
    QString error;
    in >> ok >> error;
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    if (!ok)
        return Result<QList<SheetCells>>(Fail(error));
    qint32 count = 0;
    in >> count;
    QList<SheetCells> sheets;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        SheetCells s;
        in >> s.name >> s.error >> s.records;
        sheets.append(std::move(s));
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return Result<QList<SheetCells>>(std::move(sheets));
}

void BecomeReaderChild() {
    // A library's chatter must not land in the companion's output, and its faults are its own:
    // no report, no crash handler of the parent (a test harness or fuzzer would take them for
    // the program's).
    if (&__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(nullptr);
    for (int sig : {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL})
        std::signal(sig, SIG_DFL);
    if (const int null = ::open("/dev/null", O_WRONLY); null >= 0) {
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        // A sanitizer given a report descriptor by the parent (libFuzzer does) would otherwise
        // write the child's report to a file ".<pid>" in the working folder.
        if (&__sanitizer_set_report_fd)
            __sanitizer_set_report_fd(reinterpret_cast<void*>(std::intptr_t(null)));
    }
}

Result<QList<SheetCells>> ReadInChild(const SheetsReader& read, const QString& stopped) {
    int fds[2];
    if (::pipe(fds) != 0)
        return Fail(stopped + QLatin1Char(' ') + qt_error_string(errno));
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return Fail(stopped + QLatin1Char(' ') + qt_error_string(errno));
    }
    if (child == 0) {
        ::close(fds[0]);
        BecomeReaderChild();
        const QByteArray blob = SheetsAnswer(read());
        const QByteArray header = QByteArray::number(blob.size()) + '\n';
        ::_exit(writeAll(fds[1], header) && writeAll(fds[1], blob) ? 0 : 3);
    }
    ::close(fds[1]);
    QByteArray got;
    QDeadlineTimer deadline(30000);
    bool timedOut = false;
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, int(qMax<qint64>(0, deadline.remainingTime())));
        if (ready == 0) {
            timedOut = true;
            break;
        }
        if (ready < 0 && errno == EINTR)
            continue;
        char buffer[65536];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got.append(buffer, n);
    }
    ::close(fds[0]);
    if (timedOut)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const qsizetype newline = got.indexOf('\n');
    const qint64 size = newline < 0 ? -1 : got.left(newline).toLongLong();
    if (timedOut || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || size < 0 ||
        got.size() - newline - 1 != size)
        return Fail(stopped);
    std::optional<Result<QList<SheetCells>>> answer = SheetsFromAnswer(got.mid(newline + 1));
    if (!answer)
        return Fail(stopped);
    return std::move(*answer);
}

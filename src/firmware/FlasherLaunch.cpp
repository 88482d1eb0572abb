#include "firmware/FlasherLaunch.h"

#include "common/Ansi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#else
#include <QProcess>
#endif

QByteArray FlasherParameter(const QString& firmwarePath, int portIndex) {
    const QString full = QDir::toNativeSeparators(QFileInfo(firmwarePath).absoluteFilePath());
#ifdef Q_OS_WIN
    const QByteArray path = ToAnsi(full);
#else
    const QByteArray path = QFile::encodeName(full);
#endif
    return '"' + path + '"' + char(0xB6) + QByteArray::number(portIndex);
}

#ifdef Q_OS_UNIX

namespace {

pid_t waitChild(pid_t pid, int* status) {
    pid_t r;
    do {
        r = ::waitpid(pid, status, 0);
    } while (r < 0 && errno == EINTR);
    return r;
}

// In a forked child: change folder and replace the process, or report errno through `fd`.
[[noreturn]] void execChild(const char* program, char* const argv[], const char* folder, int fd) {
    if (folder[0] == '\0' || ::chdir(folder) == 0)
        ::execv(program, argv);
    const int error = errno;
    [[maybe_unused]] const ssize_t n = ::write(fd, &error, sizeof error);
    ::_exit(127);
}

} // namespace

QString ProcessFlasherLauncher::start(const QString& program, const QByteArray& parameter,
                                      const QString& workingFolder) {
    exitStatus_ = -1;
    // Everything the child needs is prepared before fork: after it only system calls run.
    QByteArray programBytes = QFile::encodeName(program);
    QByteArray argument = parameter;
    const QByteArray folder = QFile::encodeName(workingFolder);
    char* argv[] = {programBytes.data(), argument.data(), nullptr};

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));

    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return QString::fromLocal8Bit(std::strerror(error));
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        if (waitForExit_)
            execChild(programBytes.constData(), argv, folder.constData(), pipeFds[1]);
        // Detached: a grandchild in its own session runs the flasher, so it outlives us
        // and never becomes our zombie.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0)
            execChild(programBytes.constData(), argv, folder.constData(), pipeFds[1]);
        if (grandchild < 0) {
            const int error = errno;
            [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &error, sizeof error);
        }
        ::_exit(0);
    }

    ::close(pipeFds[1]);
    int error = 0;
    ssize_t got;
    do {
        got = ::read(pipeFds[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(pipeFds[0]);
    int status = 0;
    const pid_t waited = waitChild(child, &status);
    if (got == ssize_t(sizeof error))
        return QString::fromLocal8Bit(std::strerror(error));
    if (waitForExit_ && waited == child && WIFEXITED(status))
        exitStatus_ = WEXITSTATUS(status);
    return {};
}

#else

QString ProcessFlasherLauncher::start(const QString& program, const QByteArray& parameter,
                                      const QString& workingFolder) {
    exitStatus_ = -1;
    QProcess process;
    process.setProgram(program);
    process.setNativeArguments(FromAnsi(parameter));
    process.setWorkingDirectory(workingFolder);
    if (waitForExit_) {
        process.start();
        if (!process.waitForStarted(-1))
            return process.errorString();
        process.waitForFinished(-1);
        if (process.exitStatus() == QProcess::NormalExit)
            exitStatus_ = process.exitCode();
        return {};
    }
    if (!process.startDetached())
        return process.errorString();
    return {};
}

#endif

WatchedFlasherLauncher::WatchedFlasherLauncher(QObject* parent) : QObject(parent) {}

WatchedFlasherLauncher::~WatchedFlasherLauncher() {
#ifdef Q_OS_UNIX
    if (outFd_ >= 0)
        ::close(outFd_);
        // The flasher goes on writing the device; only its zombie is collected when it ends.
#endif
}

QStringList WatchedFlasherLauncher::lastLines(int count) const {
    QStringList lines = QString::fromLocal8Bit(output_).split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    return lines.mid(qMax<qsizetype>(0, lines.size() - count));
}

#ifdef Q_OS_UNIX

QString WatchedFlasherLauncher::start(const QString& program, const QByteArray& parameter,
                                      const QString& workingFolder) {
    if (running())
        return QStringLiteral("VidodIzuze.exe is still running");
    output_.clear();
    QByteArray programBytes = QFile::encodeName(program);
    QByteArray argument = parameter;
    const QByteArray folder = QFile::encodeName(workingFolder);
    char* argv[] = {programBytes.data(), argument.data(), nullptr};
    int errorPipe[2];
    int outPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (::pipe2(outPipe, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(errorPipe[0]);
        ::close(errorPipe[1]);
        return QString::fromLocal8Bit(std::strerror(error));
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        for (int fd : {errorPipe[0], errorPipe[1], outPipe[0], outPipe[1]})
            ::close(fd);
        return QString::fromLocal8Bit(std::strerror(error));
    }
    if (child == 0) {
        ::dup2(outPipe[1], 1);
        ::dup2(outPipe[1], 2);
        execChild(programBytes.constData(), argv, folder.constData(), errorPipe[1]);
    }
    ::close(errorPipe[1]);
    ::close(outPipe[1]);
    int error = 0;
    ssize_t got;
    do {
        got = ::read(errorPipe[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(errorPipe[0]);
    if (got == ssize_t(sizeof error)) {
        int status = 0;
        waitChild(child, &status);
        ::close(outPipe[0]);
        return QString::fromLocal8Bit(std::strerror(error));
    }
    pid_ = child;
    outFd_ = outPipe[0];
    notifier_ = new QSocketNotifier(outFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readOutput(); });
    return {};
}

void WatchedFlasherLauncher::readOutput() {
    char buffer[4096];
    ssize_t n;
    do {
        n = ::read(outFd_, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
        output_.append(buffer, n);
        return;
    }
    // End of output: the flasher has ended (or closed its outputs); collect its status.
    notifier_->setEnabled(false);
    notifier_->deleteLater();
    notifier_ = nullptr;
    ::close(outFd_);
    outFd_ = -1;
    int status = 0;
    const pid_t waited = waitChild(pid_t(pid_), &status);
    pid_ = -1;
    Q_EMIT finished(waited > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

#else

QString WatchedFlasherLauncher::start(const QString& program, const QByteArray& parameter,
                                      const QString& workingFolder) {
    ProcessFlasherLauncher detached;
    return detached.start(program, parameter, workingFolder);
}

void WatchedFlasherLauncher::readOutput() {}

#endif

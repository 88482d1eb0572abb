#include "firmware/FlasherLaunch.h"

#include "common/Ansi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// Starting the external flasher: the one parameter it takes and the way it is started, with
// no shell in between, so no file name can turn into a command.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// A double quote, the firmware's full path, a double quote, the byte 0xB6 and the zero-based
// port index in decimal ("2" for COM3). The path is in the file system's own encoding (the
// ANSI code page on Windows), so the flasher can open it as given.
QByteArray FlasherParameter(const QString& firmwarePath, int portIndex);

class FlasherLauncher {
public:
    virtual ~FlasherLauncher() = default;
    // Starts `program` with exactly one argument, `parameter`, byte for byte, in
    // `workingFolder`. Empty on success, otherwise the system's reason.
    virtual QString start(const QString& program, const QByteArray& parameter,
                          const QString& workingFolder) = 0;
};

// Starts a real process. Detached by default: the program neither waits for the flasher nor
// keeps a handle of it. With `waitForExit` (the terminal companion's --wait) it waits and
// keeps the exit status.
class ProcessFlasherLauncher : public FlasherLauncher {
public:
    explicit ProcessFlasherLauncher(bool waitForExit = false) : waitForExit_(waitForExit) {}
    QString start(const QString& program, const QByteArray& parameter,
                  const QString& workingFolder) override;
    // The flasher's exit status after a waited start; -1 when it did not exit normally.
    int exitStatus() const { return exitStatus_; }

private:
    bool waitForExit_;
    int exitStatus_ = -1;
};

// Starts the flasher and watches it without blocking: its standard output and error are
// collected, and `finished` tells its exit status (-1 when it did not exit normally) and the
// last lines it wrote. One flasher at a time: a start while one runs is refused.
class WatchedFlasherLauncher : public QObject, public FlasherLauncher {
    Q_OBJECT
public:
    explicit WatchedFlasherLauncher(QObject* parent = nullptr);
    ~WatchedFlasherLauncher() override;
    QString start(const QString& program, const QByteArray& parameter,
                  const QString& workingFolder) override;
    bool running() const { return pid_ > 0; }
    // The last `count` lines of what the flasher wrote.
    QStringList lastLines(int count) const;

Q_SIGNALS:
    void finished(int exitStatus);

private:
    void readOutput();

    qint64 pid_ = -1;
    int outFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QByteArray output_;
};

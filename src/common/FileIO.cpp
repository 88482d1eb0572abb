#include "common/FileIO.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The system's text for the last failure, which Qt sometimes reports as "Unknown error".
QString reasonFor(const QFileDevice& file, int error) {
    if (error != 0)
        return qt_error_string(error);
    return file.errorString();
}

// One file written to its temporary and checked, waiting to replace the real one.
class PendingFile {
public:
    explicit PendingFile(const QString& path) : path_(path), file_(path) {}

    Result<> write(const QByteArray& bytes) {
        // Unbuffered, so every short write is seen here and not lost in a flush at commit.
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return Fail(CannotCreateMessage(path_, file_.errorString()));
        qint64 done = 0;
        while (done < bytes.size()) {
            errno = 0;
            const qint64 n = file_.write(bytes.constData() + done, bytes.size() - done);
            if (n <= 0)
                return failed(errno);
            done += n;
        }
#ifdef Q_OS_UNIX
        // The content must be on the disk before the rename makes it the file: a full disk
        // may only show at the sync, and a crash must find the old or the whole new file.
        if (::fsync(file_.handle()) != 0)
            return failed(errno);
        struct stat st {};
        if (::fstat(file_.handle(), &st) != 0)
            return failed(errno);
        if (st.st_size != bytes.size())
            return failed(EIO);
#endif
        return Ok();
    }

    Result<> commit() {
        errno = 0;
        if (!file_.commit())
            return Fail(CannotCreateMessage(path_, reasonFor(file_, errno)));
        return Ok();
    }

    void cancel() {
        file_.cancelWriting();
    }

private:
    Result<> failed(int error) {
        const QString reason = reasonFor(file_, error);
        file_.cancelWriting();
        return Fail(CannotCreateMessage(path_, reason));
    }

    QString path_;
    QSaveFile file_;
};

} // namespace

Result<> WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    PendingFile file(path);
    if (Result<> written = file.write(bytes); !written)
        return written;
    return file.commit();
}

Result<> WriteFilesTogether(const QList<FileContent>& files) {
    // What each file held before, so a replacement that fails midway can be undone.
    struct Slot {
        std::unique_ptr<PendingFile> pending;
        bool existed = false;
        QByteArray before;
    };
    std::vector<Slot> slots;
    slots.reserve(std::size_t(files.size()));
    for (const FileContent& f : files) {
        Slot slot;
        slot.pending = std::make_unique<PendingFile>(f.first);
        if (Result<> written = slot.pending->write(f.second); !written) {
            for (Slot& s : slots)
                s.pending->cancel();
            return written;
        }
        if (QFileInfo(f.first).isFile()) {
            Result<QByteArray> old = ReadRegularFile(f.first);
            if (!old) {
                slot.pending->cancel();
                for (Slot& s : slots)
                    s.pending->cancel();
                return Fail(old.error());
            }
            slot.existed = true;
            slot.before = std::move(old).value();
        }
        slots.push_back(std::move(slot));
    }
    for (std::size_t i = 0; i < slots.size(); ++i) {
        Result<> committed = slots[i].pending->commit();
        if (committed)
            continue;
        for (std::size_t j = i + 1; j < slots.size(); ++j)
            slots[j].pending->cancel();
        for (std::size_t j = 0; j < i; ++j) {
            const QString& path = files[qsizetype(j)].first;
            if (slots[j].existed)
                (void)WriteFileAtomically(path, slots[j].before);
            else
                QFile::remove(path);
        }
        return committed;
    }
    return Ok();
}

QString CheckRegularFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return CannotOpenMessage(path, QStringLiteral("No such file or directory"));
    if (!info.isFile())
        return CannotOpenMessage(path, QStringLiteral("Not a regular file"));
    return {};
}

Result<QByteArray> ReadRegularFile(const QString& path) {
    if (const QString refused = CheckRegularFile(path); !refused.isEmpty())
        return Fail(refused);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(CannotOpenMessage(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Fail(CannotOpenMessage(path, file.errorString()));
    return bytes;
}

QString CannotCreateMessage(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot create file \"%1\". %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString CannotOpenMessage(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot open file \"%1\". %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QDir::separator()))
        return folder + name;
    return folder + QDir::separator() + name;
}

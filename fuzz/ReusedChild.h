// A workbook reader's child kept across inputs. The import forks one child per file; a fork per
// input (5 to 7 ms on a small virtual machine, whatever the process's size) held these targets
// near a hundred inputs a second. The child runs the import's child-side reader after the same
// setup (BecomeReaderChild) and sends the same answer; when it dies, as the import's child may
// on a library's fault, the input reads as stopped, as the import reports it, and the next
// input gets a new child. Faults inside the child are out of sight either way: what these
// targets check is the parent's side.
//
// The children come from a small host process forked at the first input, which relays the
// inputs and answers: a child forked from the fuzzer itself made both copy every page either
// wrote for as long as the child lived.
#pragma once

#include "FuzzSupport.h"

#include "editors/ChildReader.h"

#include <QByteArray>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <optional>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fuzz {

class ReusedChild {
public:
    using Reader = Result<QList<SheetCells>> (*)(const QByteArray& input);

    explicit ReusedChild(Reader reader) : reader_(reader) {
        // A write to a child that has just died must fail, not end the fuzzer.
        std::signal(SIGPIPE, SIG_IGN);
        (void)scratchFolder(); // named after this process, so every child shares it
    }

    // Starts the host. Called from LLVMFuzzerInitialize, before libFuzzer starts its thread:
    // this sanitizer runtime does not hold its allocator's locks across fork(), and a host
    // forked beside another thread left Orcus's reading thread in the second read of a child
    // waiting for an allocator lock that no thread held.
    void start() {
        Pipes ours;
        host_ = forkWith(ours, [this](Pipes ends) { host(ends); });
        fromHost_ = ours.read;
        toHost_ = ours.write;
    }

    // The child's answer to the input; nullopt when the child died on it.
    std::optional<QByteArray> answer(const QByteArray& input) {
        if (host_ <= 0)
            fail("the reader's host was not started");
        QByteArray reply;
        if (!writeFrame(toHost_, input) || !readFrame(fromHost_, reply) || reply.isEmpty())
            fail("the reader's host process is gone");
        if (reply[0] != 'A')
            return std::nullopt;
        return reply.sliced(1);
    }

private:
    // Repeats a read or a write of `size` bytes, given how many are through, until all are.
    template <typename Io> static bool whole(std::size_t size, Io io) {
        for (std::size_t done = 0; done < size;) {
            const ssize_t n = io(done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += std::size_t(n);
        }
        return true;
    }
    static bool writeAll(int fd, const char* data, std::size_t size) {
        return whole(size, [&](std::size_t done) { return ::write(fd, data + done, size - done); });
    }
    static bool readAll(int fd, char* data, std::size_t size) {
        return whole(size, [&](std::size_t done) { return ::read(fd, data + done, size - done); });
    }
    static bool writeFrame(int fd, const QByteArray& bytes) {
        const std::uint64_t size = std::uint64_t(bytes.size());
        return writeAll(fd, reinterpret_cast<const char*>(&size), sizeof size) &&
               writeAll(fd, bytes.constData(), std::size_t(bytes.size()));
    }
    static bool readFrame(int fd, QByteArray& bytes) {
        std::uint64_t size = 0;
        if (!readAll(fd, reinterpret_cast<char*>(&size), sizeof size) || size > (1u << 30))
            return false;
        bytes.resize(qsizetype(size));
        return readAll(fd, bytes.data(), std::size_t(size));
    }

    struct Pipes {
        int read = -1;
        int write = -1;
    };

    // A process at the other end of two pipes, running `body` on its ends.
    template <typename Body> static pid_t forkWith(Pipes& ours, Body body) {
        int down[2], up[2];
        if (::pipe(down) != 0 || ::pipe(up) != 0)
            fail("no pipe for a reader's process");
        const pid_t pid = ::fork();
        if (pid < 0)
            fail("no reader's process");
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL); // gone with the process that made it
            ::close(down[1]);
            ::close(up[0]);
            body(Pipes{down[0], up[1]});
            ::_exit(0);
        }
        ::close(down[0]);
        ::close(up[1]);
        ours = {up[0], down[1]};
        return pid;
    }

    // The host: each input goes to the reader's child, and back comes 'A' and its answer, or
    // 'S' when the child died on it.
    void host(Pipes fuzzer) const {
        Pipes child;
        pid_t pid = -1;
        QByteArray input, reply;
        while (readFrame(fuzzer.read, input)) {
            if (pid <= 0)
                pid = forkWith(child, [this](Pipes ends) {
                    BecomeReaderChild();
                    QByteArray in;
                    while (readFrame(ends.read, in))
                        if (!writeFrame(ends.write, SheetsAnswer(reader_(in))))
                            break;
                });
            reply = "A";
            QByteArray answer;
            if (writeFrame(child.write, input) && readFrame(child.read, answer)) {
                reply += answer;
            } else {
                ::close(child.read);
                ::close(child.write);
                ::kill(pid, SIGKILL);
                while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
                }
                pid = -1;
                reply = "S";
            }
            if (!writeFrame(fuzzer.write, reply))
                break;
        }
    }

    Reader reader_;
    pid_t host_ = -1;
    int toHost_ = -1;
    int fromHost_ = -1;
};

// The parent's side of an answer, as the import handles it: it decodes whole (the child is
// this program's own), a failure has a message, and the workbook made from the sheets gives
// records of one width per sheet.
inline void checkAnswer(const QByteArray& answer) {
    std::optional<Result<QList<SheetCells>>> sheets = SheetsFromAnswer(answer);
    check(sheets.has_value(), "a whole answer of the child does not decode");
    if (!*sheets) {
        check(!sheets->error().isEmpty(), "a failure without a message");
        return;
    }
    for (const SheetCells& s : **sheets)
        check(s.error.isEmpty() || s.records.isEmpty(), "a failed sheet kept records");
    const std::unique_ptr<Workbook> book = MakeSheetsWorkbook(std::move(**sheets));
    const QStringList names = book->sheetNames();
    for (int s = 0; s < names.size(); ++s) {
        const Result<std::vector<QStringList>> records = book->records(s);
        if (records)
            for (const QStringList& r : *records)
                check(r.size() == records->front().size(), "records of one sheet differ in width");
    }
}

} // namespace fuzz

#include "editors/XlsWorkbook.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <freexl.h>

extern "C" void __sanitizer_set_death_callback(void (*)(void)) __attribute__((weak));

namespace {

// Everything a workbook gives the editors, read in one go so it can cross a pipe.
struct SheetData {
    QString name;
    bool ok = false;
    QString error;
    QList<QStringList> records;
};

QString cellText(const FreeXL_CellValue& cell) {
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return QString::number(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return NumberText(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return cell.value.text_value ? QString::fromUtf8(cell.value.text_value) : QString();
    default:
        return {};
    }
}

SheetData readSheet(const void* handle, unsigned short sheet, const QString& name) {
    SheetData data{name, false, {}, {}};
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, sheet) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
        data.error = QStringLiteral("The sheet \"%1\" cannot be read.").arg(name);
        return data;
    }
    for (unsigned int r = 1; r < rows; ++r) {
        QStringList cells;
        cells.reserve(columns);
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(handle, r, c, &cell) != FREEXL_OK) {
                data.error = QStringLiteral("Row %1 of the sheet \"%2\" cannot be read.")
                                 .arg(r + 1)
                                 .arg(name);
                return data;
            }
            cells.append(cellText(cell));
        }
        data.records.append(std::move(cells));
    }
    data.ok = true;
    return data;
}

// The whole workbook through FreeXL, serialised; empty when it is not a workbook.
QByteArray readWorkbook(const QString& path) {
    const void* handle = nullptr;
    // A failed open has released what it took, even where it leaves the handle set.
    if (freexl_open(QFile::encodeName(path).constData(), &handle) != FREEXL_OK)
        return {};
    QList<SheetData> sheets;
    unsigned int count = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) == FREEXL_OK) {
        for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name) !=
                FREEXL_OK)
                break;
            sheets.append({name ? QString::fromUtf8(name) : QString(), false, {}, {}});
        }
        for (int i = 0; i < sheets.size(); ++i)
            sheets[i] = readSheet(handle, static_cast<unsigned short>(i), sheets[i].name);
    }
    freexl_close(handle);
    QByteArray blob;
    QDataStream out(&blob, QIODevice::WriteOnly);
    out << qint32(sheets.size());
    for (const SheetData& d : sheets)
        out << d.name << d.ok << d.error << d.records;
    return blob;
}

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

// FreeXL reads damaged files out of bounds (seen with AddressSanitizer and valgrind on
// fuzzed .xls files), so it runs in a child process of its own: whatever the file does to
// the reader, the program gets either the workbook's cells or a failure.
Result<QByteArray> readIsolated(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    int fds[2];
    if (::pipe(fds) != 0)
        return Fail(QStringLiteral("\"%1\" cannot be read: %2").arg(shown, qt_error_string(errno)));
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return Fail(QStringLiteral("\"%1\" cannot be read: %2").arg(shown, qt_error_string(errno)));
    }
    if (child == 0) {
        ::close(fds[0]);
        // The reader's faults are its own: no report, no crash handler of the parent (a test
        // harness or fuzzer would take them for the program's).
        if (&__sanitizer_set_death_callback)
            __sanitizer_set_death_callback(nullptr);
        for (int sig : {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL})
            std::signal(sig, SIG_DFL);
        if (const int null = ::open("/dev/null", O_WRONLY); null >= 0)
            ::dup2(null, 2);
        const QByteArray blob = readWorkbook(path);
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
        return Fail(QStringLiteral("\"%1\" is not an Excel workbook that can be read (.xls): "
                                   "its reader stopped.")
                        .arg(shown));
    return got.mid(newline + 1);
}

class XlsWorkbook : public Workbook {
public:
    explicit XlsWorkbook(QList<SheetData> sheets) : sheets_(std::move(sheets)) {}

    QStringList sheetNames() const override {
        QStringList names;
        for (const SheetData& d : sheets_)
            names << d.name;
        return names;
    }

    Result<std::vector<QStringList>> records(int sheet) override {
        if (sheet < 0 || sheet >= sheets_.size())
            return Fail(QStringLiteral("The sheet \"%1\" cannot be read.").arg(QString()));
        const SheetData& d = sheets_[sheet];
        if (!d.ok)
            return Fail(d.error);
        return std::vector<QStringList>(d.records.begin(), d.records.end());
    }

private:
    QList<SheetData> sheets_;
};

} // namespace

Result<std::unique_ptr<Workbook>> OpenXlsWorkbook(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isFile())
        return Fail(QStringLiteral("\"%1\" is not a file.").arg(shown));
    Result<QByteArray> blob = readIsolated(path);
    if (!blob)
        return Fail(blob.error());
    if (blob->isEmpty())
        return Fail(QStringLiteral("\"%1\" is not an Excel workbook (.xls).").arg(shown));
    QDataStream in(*blob);
    qint32 count = 0;
    in >> count;
    QList<SheetData> sheets;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        SheetData d;
        in >> d.name >> d.ok >> d.error >> d.records;
        sheets.append(std::move(d));
    }
    if (in.status() != QDataStream::Ok)
        return Fail(QStringLiteral("\"%1\" is not an Excel workbook (.xls).").arg(shown));
    return std::unique_ptr<Workbook>(std::make_unique<XlsWorkbook>(std::move(sheets)));
}

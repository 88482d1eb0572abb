// The S-record patcher on random base and bank files, against its own promises: the result is
// -1, 0 or 1; at 1 the output holds the bank window as well-formed S2 records whose bytes are
// exactly the bank file's, and no other record loads into the window.
#include "FuzzSupport.h"

#include "common/RecordingPrompter.h"
#include "firmware/FirmwarePatcher.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr std::uint32_t kWindow = 0x388000;
constexpr std::uint32_t kSize = 0x4000;

// A table, not comparisons: the coverage instrumentation traces every comparison, and the
// output's hex digits were most of a run.
const std::array<signed char, 256> kHexValue = [] {
    std::array<signed char, 256> t{};
    t.fill(-1);
    for (int d = 0; d < 10; ++d)
        t[std::size_t('0' + d)] = static_cast<signed char>(d);
    for (int d = 0; d < 6; ++d) {
        t[std::size_t('A' + d)] = static_cast<signed char>(10 + d);
        t[std::size_t('a' + d)] = static_cast<signed char>(10 + d);
    }
    return t;
}();

int hexValue(char c) {
    return kHexValue[static_cast<unsigned char>(c)];
}

// The bytes of a record line after its type into `bytes`; false when they are not pairs of hex
// digits. In place: the output has thousands of lines and an allocation each was most of a run.
bool recordBytes(QByteArrayView line, std::vector<int>& bytes) {
    bytes.clear();
    if ((line.size() - 2) % 2 != 0)
        return false;
    for (qsizetype i = 2; i + 1 < line.size(); i += 2) {
        const int hi = hexValue(line[i]), lo = hexValue(line[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes.push_back(hi * 16 + lo);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5)
        return 0;
    const bool wholeBank = data[0] & 1;
    std::uint32_t seed = data[1] | data[2] << 8 | data[3] << 16 | std::uint32_t(data[4]) << 24;
    QByteArray bank(wholeBank ? qsizetype(kSize) : qsizetype(data[1]) * 64, '\0');
    for (char& b : bank) {
        seed = seed * 1103515245u + 12345u;
        b = char(seed >> 16);
    }
    const QString folder = fuzz::scratchFolder();
    const QString bin = folder + QStringLiteral("/bin");
    QDir().mkpath(bin);
    fuzz::writeScratch(QStringLiteral("bin/bank1.bin"),
                       reinterpret_cast<const uint8_t*>(bank.constData()), size_t(bank.size()));
    const QString base = fuzz::writeScratch(QStringLiteral("base.sx"), data + 5, size - 5);
    const QString output = folder + QStringLiteral("/out.sx");
    QFile::remove(output);

    RecordingPrompter prompter;
    NoPatchProgress progress;
    const int result = PatchFirmwareBank(1, false, base, QStringLiteral("out.sx"), bin, folder,
                                         progress, prompter);
    fuzz::check(result >= -1 && result <= 1, "a result outside -1..1");
    if (result != 1)
        return 0;
    fuzz::check(wholeBank, "a bank file of the wrong size was placed");

    QFile out(output);
    fuzz::check(out.open(QIODevice::ReadOnly), "result 1 without an output file");
    const QByteArray text = out.readAll();
    static std::vector<int> window(kSize), bytes;
    std::fill(window.begin(), window.end(), -1);
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        QByteArrayView line(text.constData() + start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.startsWith("S2") || !recordBytes(line, bytes))
            continue;
        if (bytes.size() < 5 || bytes[0] != int(bytes.size()) - 1)
            continue; // a malformed line of the base, copied as it was
        const std::uint32_t address = std::uint32_t(bytes[1] << 16 | bytes[2] << 8 | bytes[3]);
        const std::size_t count = bytes.size() - 5;
        if (address + count <= kWindow || address >= kWindow + kSize)
            continue;
        int sum = 0;
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
            sum += bytes[i];
        fuzz::check(((~sum) & 0xFF) == bytes.back(), "a window record with a wrong checksum");
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t at = address + std::uint32_t(i);
            fuzz::check(at >= kWindow && at < kWindow + kSize,
                        "a record that reaches out of the window");
            fuzz::check(window[at - kWindow] < 0, "a window byte loaded twice");
            window[at - kWindow] = bytes[4 + i];
        }
    }
    for (std::uint32_t i = 0; i < kSize; ++i)
        fuzz::check(window[i] == std::uint8_t(bank[i]), "the window differs from the bank file");
    return 0;
}

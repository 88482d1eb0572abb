// Writes a SAMPLE base firmware in Motorola S-record form, the same bytes on every run: an S0
// header saying it is a sample, S2 records for a code area and for all five bank windows, in
// address order, and an S9 record. It lets the update be tried end to end without a device's
// real firmware; it is not one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr std::uint32_t kBankWindowStart = 0x388000;
constexpr std::uint32_t kBankStride = 0x10000;
constexpr std::uint32_t kBankWindowSize = 0x4000;
constexpr int kBanks = 5;
// The code area leaves this whole region to the banks.
constexpr std::uint32_t kReservedStart = 0x380000;
constexpr std::uint32_t kReservedEnd = 0x3D0000;
constexpr std::uint32_t kAddressLimit = 0x1000000;
constexpr char kHeader[] = "SAMPLE sx93051 base firmware - not for devices";

class Writer {
public:
    explicit Writer(std::FILE* out) : out_(out) {}

    void record(char type, int addressBytes, std::uint32_t address, const std::uint8_t* data,
                int count) {
        char line[600];
        int n = 0;
        const int byteCount = addressBytes + count + 1;
        unsigned sum = unsigned(byteCount);
        line[n++] = 'S';
        line[n++] = type;
        n += hex(line + n, unsigned(byteCount));
        for (int i = addressBytes - 1; i >= 0; --i) {
            const unsigned b = (address >> (8 * i)) & 0xFF;
            sum += b;
            n += hex(line + n, b);
        }
        for (int i = 0; i < count; ++i) {
            sum += data[i];
            n += hex(line + n, data[i]);
        }
        n += hex(line + n, ~sum & 0xFF);
        line[n++] = '\r';
        line[n++] = '\n';
        std::fwrite(line, 1, std::size_t(n), out_);
    }

private:
    static int hex(char* at, unsigned byte) {
        static const char digits[] = "0123456789ABCDEF";
        at[0] = digits[(byte >> 4) & 0x0F];
        at[1] = digits[byte & 0x0F];
        return 2;
    }
    std::FILE* out_;
};

// A fixed pseudo-random sequence stands for machine code.
std::uint32_t next(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

void banks(Writer& w) {
    std::uint8_t erased[32];
    std::memset(erased, 0xFF, sizeof erased);
    for (int b = 0; b < kBanks; ++b) {
        const std::uint32_t start = kBankWindowStart + std::uint32_t(b) * kBankStride;
        for (std::uint32_t a = start; a < start + kBankWindowSize; a += 32)
            w.record('2', 3, a, erased, 32);
    }
}

int usage() {
    std::fprintf(stderr, "usage: make-sample-firmware OUTPUT [--code-bytes N]\n"
                         "Writes a sample S-record base firmware: N bytes of code area (default "
                         "65536, at most 16187392) and the five bank windows.\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4)
        return usage();
    std::uint32_t codeBytes = 65536;
    if (argc == 4) {
        if (std::strcmp(argv[2], "--code-bytes") != 0)
            return usage();
        char* end = nullptr;
        const unsigned long long n = std::strtoull(argv[3], &end, 10);
        if (*end != '\0' || n > kAddressLimit - (kReservedEnd - kReservedStart))
            return usage();
        codeBytes = std::uint32_t(n);
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    static char buffer[1 << 20];
    std::setvbuf(out, buffer, _IOFBF, sizeof buffer);
    Writer w(out);
    w.record('0', 2, 0, reinterpret_cast<const std::uint8_t*>(kHeader), int(std::strlen(kHeader)));

    std::uint32_t state = 0x93051u;
    std::uint32_t address = 0;
    bool banksWritten = false;
    while (codeBytes > 0) {
        if (address == kReservedStart) {
            banks(w);
            banksWritten = true;
            address = kReservedEnd;
        }
        std::uint8_t data[32];
        const int count = codeBytes < 32 ? int(codeBytes) : 32;
        for (int i = 0; i < count; ++i)
            data[i] = std::uint8_t(next(state) >> 24);
        w.record('2', 3, address, data, count);
        address += std::uint32_t(count);
        codeBytes -= std::uint32_t(count);
    }
    if (!banksWritten)
        banks(w);
    w.record('9', 2, 0, nullptr, 0);
    if (std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}

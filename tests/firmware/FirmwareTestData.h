// Builders of S-record lines, bank files and base firmwares for the firmware tests.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QFile>
#include <QString>

#include <cstdint>

namespace testdata {

// One record with its checksum, computed here independently of the code under test.
inline QByteArray record(char type, std::uint32_t address, const QByteArray& data) {
    const int addressBytes = (type == '2' || type == '8')   ? 3
                             : (type == '3' || type == '7') ? 4
                                                            : 2;
    QByteArray body;
    for (int i = addressBytes - 1; i >= 0; --i)
        body.append(char((address >> (8 * i)) & 0xFF));
    body += data;
    unsigned sum = unsigned(body.size() + 1);
    for (char c : body)
        sum += static_cast<unsigned char>(c);
    QByteArray bytes;
    bytes.append(char(body.size() + 1));
    bytes += body;
    bytes.append(char(~sum & 0xFF));
    return "S" + QByteArray(1, type) + bytes.toHex().toUpper();
}

inline QByteArray s2(std::uint32_t address, int size = 32, char fill = '\x5A') {
    return record('2', address, QByteArray(size, fill));
}

inline QByteArray bankImage(char seed = 1) {
    QByteArray image(16384, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 13 + seed) & 0xFF);
    return image;
}

// The 512 records a bank image becomes at `start`.
inline QByteArrayList bankRecords(const QByteArray& image, std::uint32_t start = 0x388000) {
    QByteArrayList lines;
    for (int i = 0; i < 512; ++i)
        lines << record('2', start + std::uint32_t(i) * 32, image.mid(i * 32, 32));
    return lines;
}

inline QByteArray crlfText(const QByteArrayList& lines) {
    QByteArray text;
    for (const QByteArray& l : lines)
        text += l + "\r\n";
    return text;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A base firmware: header, code records, all five bank windows in 16-byte records, S9.
// A whole pargen.xml with a distinct value in most fields, for the companion's fault tests.
inline const QByteArray kDistinctPargen =
    "<General_Parameter><TCP_IP1>10</TCP_IP1><TCP_IP2>0</TCP_IP2><TCP_IP3>0</TCP_IP3>"
    "<TCP_IP4>7</TCP_IP4><TCP_SUB1>255</TCP_SUB1><TCP_SUB2>255</TCP_SUB2><TCP_SUB3>0</TCP_SUB3>"
    "<TCP_SUB4>0</TCP_SUB4><TCP_GAT1>10</TCP_GAT1><TCP_GAT2>0</TCP_GAT2><TCP_GAT3>0</TCP_GAT3>"
    "<TCP_GAT4>1</TCP_GAT4><TCP_PORT>1502</TCP_PORT><SNMP_PUBLIC>pub</SNMP_PUBLIC>"
    "<SNMP_PRIVATE></SNMP_PRIVATE><BAUD>7</BAUD><PARITY>3</PARITY>"
    "<TIME_OUT>250</TIME_OUT><OFFSET>40001</OFFSET><MODE>0</MODE></General_Parameter>";

inline QByteArrayList sampleBase() {
    QByteArrayList lines;
    lines << record('0', 0, "sample");
    for (std::uint32_t a = 0; a < 0x800; a += 32)
        lines << s2(a, 32, char(a >> 5));
    for (int bank = 0; bank < 5; ++bank)
        for (std::uint32_t a = 0; a < 0x4000; a += 16)
            lines << s2(0x388000 + std::uint32_t(bank) * 0x10000 + a, 16, '\xFF');
    lines << s2(0x3D0000, 32, '\x33');
    lines << record('9', 0x0400, {});
    return lines;
}

} // namespace testdata

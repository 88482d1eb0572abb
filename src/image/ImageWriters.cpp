#include "image/ImageWriters.h"

#include "common/FileIO.h"
#include "project/ProjectLayout.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr std::size_t kBytesPerLine = 16;
const QByteArray kCrLf = QByteArrayLiteral("\r\n");

} // namespace

QString ImageBinPath(const QString& projectFolder) {
    return ProjectLayout::BankImagePath(projectFolder);
}

QString ImageCPath(const QString& projectFolder) {
    return ProjectLayout::BankSourcePath(projectFolder);
}

QByteArray RenderImageC(const ConfigImage& image) {
    // The continuation lines are indented six columns less than the 23-character head, as
    // the device's build has always had them.
    const QByteArray head =
        QByteArrayLiteral("const char Bank") + '1' + QByteArrayLiteral(" [] = {");
    const QByteArray indent(17, ' ');
    QByteArray out;
    out.reserve(qsizetype(kImageSize / kBytesPerLine) * (23 + 16 * 6 + 2) + 64);
    out += QByteArrayLiteral("#pragma CONST_SEG SEGMENT0") + kCrLf;
    // One row of " 0xHH," cells at a time: appending cell by cell costs more than the rest of
    // a composition together.
    char cells[kBytesPerLine * 6 + 1];
    for (std::size_t row = 0; row < kImageSize / kBytesPerLine; ++row) {
        out += row == 0 ? head : indent;
        char* c = cells;
        for (std::size_t col = 0; col < kBytesPerLine; ++col) {
            const std::size_t offset = row * kBytesPerLine + col;
            const std::uint8_t b = image.byte(offset);
            *c++ = ' ';
            *c++ = '0';
            *c++ = 'x';
            *c++ = kHex[b >> 4];
            *c++ = kHex[b & 0x0F];
            if (offset + 1 == kImageSize) {
                *c++ = '}';
                *c++ = ';';
            } else {
                *c++ = ',';
            }
        }
        out.append(cells, c - cells);
        out += kCrLf;
    }
    out += kCrLf;
    out += QByteArrayLiteral("#pragma CONST_SEG DEFAULT") + kCrLf;
    return out;
}

Result<> SaveImageBin(const ConfigImage& image, const QString& projectFolder) {
    return WriteFileAtomically(ImageBinPath(projectFolder), image.toByteArray());
}

Result<> SaveImageC(const ConfigImage& image, const QString& projectFolder) {
    return WriteFileAtomically(ImageCPath(projectFolder), RenderImageC(image));
}

Result<> ComposeAndSaveImage(ConfigImage& image, const QString& pargenPath,
                             const QString& projectFolder, const CompositionClock& clock) {
    if (Result<> composed = ComposeImage(image, pargenPath, clock); !composed)
        return composed;
    // Both renderings or neither: a bank1.bin newer than its bankg.c would tell two stories.
    return WriteFilesTogether({{ImageBinPath(projectFolder), image.toByteArray()},
                               {ImageCPath(projectFolder), RenderImageC(image)}});
}

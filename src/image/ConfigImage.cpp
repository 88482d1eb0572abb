#include "image/ConfigImage.h"

#include <algorithm>

std::uint16_t ConfigImage::word(std::size_t offset) const {
    return static_cast<std::uint16_t>(byte(offset) | (byte(offset + 1) << 8));
}

void ConfigImage::setWord(std::size_t offset, std::uint16_t value) {
    setByte(offset, static_cast<std::uint8_t>(value & 0xFF));
    setByte(offset + 1, static_cast<std::uint8_t>(value >> 8));
}

void ConfigImage::setField(std::size_t offset, const SnmpField& field) {
    for (std::size_t i = 0; i < field.size(); ++i)
        setByte(offset + i, field[i]);
}

QByteArray ConfigImage::toByteArray() const {
    return QByteArray(reinterpret_cast<const char*>(bytes_.data()), qsizetype(bytes_.size()));
}

bool ConfigImage::fromByteArray(const QByteArray& bytes, ConfigImage& image) {
    if (bytes.size() != qsizetype(kImageSize))
        return false;
    std::copy(bytes.begin(), bytes.end(), image.bytes_.begin());
    return true;
}

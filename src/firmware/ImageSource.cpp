#include "firmware/ImageSource.h"

#include "firmware/FirmwareCheck.h"
#include "image/ImageComposer.h"
#include "image/ImageDescription.h"
#include "project/ProjectLayout.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kStampLabel = QStringLiteral("Composed");
const QString kOtherLabel = QStringLiteral("Other bytes");

// "Label:   value" lines of the description as (label, value).
QList<std::pair<QString, QString>> fields(const ConfigImage& image) {
    QList<std::pair<QString, QString>> out;
    for (const QString& line : DescribeImage(image)) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        out.append({line.left(colon), line.mid(colon + 1).trimmed()});
    }
    return out;
}

} // namespace

Result<ImageSource> LoadImageSource(const QString& path) {
    ImageSource source;
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo(path).isDir()) {
        source.kind = ImageSourceKind::Project;
        if (Result<> composed = ComposeImage(source.image, ProjectLayout::PargenPath(path));
            !composed)
            return Fail(composed.error());
        return source;
    }
    if (LooksLikeSRecordFile(path)) {
        source.kind = ImageSourceKind::Firmware;
        const FirmwareCheck check = CheckFirmwareFile(path, 1);
        if (!check.readError.isEmpty())
            return Fail(check.readError);
        if (!check.sound())
            return Fail(QStringLiteral("Firmware \"%1\" is damaged: %2")
                            .arg(shown, check.faultTexts.value(0)));
        if (!check.windowComplete())
            return Fail(
                QStringLiteral("Firmware \"%1\" carries no whole bank-1 window (%2 of "
                               "%3 bytes)")
                    .arg(shown, QString::number(check.windowBytes), QString::number(kImageSize)));
        source.image = check.window;
        return source;
    }
    source.kind = ImageSourceKind::BankFile;
    if (const QString failure = ReadBankFile(path, source.image); !failure.isEmpty())
        return Fail(failure);
    return source;
}

QList<FieldDifference> CompareImages(const ConfigImage& first, const ConfigImage& second) {
    QList<FieldDifference> out;
    const auto a = fields(first);
    const auto b = fields(second);
    for (qsizetype i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i].first == kStampLabel || a[i].first == kOtherLabel || a[i].second == b[i].second)
            continue;
        out.append({a[i].first, a[i].second, b[i].second});
    }
    int others = 0;
    for (std::size_t i = 0; i < kImageSize; ++i)
        if ((i < ImageOffset::Ip || i >= ImageOffset::End) && first.byte(i) != second.byte(i))
            ++others;
    if (others > 0)
        out.append({kOtherLabel, QStringLiteral("%1 bytes differ").arg(others), QString()});
    return out;
}

QString ImageStampText(const ConfigImage& image) {
    for (const auto& [label, value] : fields(image))
        if (label == kStampLabel)
            return value;
    return {};
}

#include "info/HelpText.h"

#include "common/Ansi.h"
#include "common/FileIO.h"
#include "info/RtfReader.h"
#include "project/ProductVariant.h"
#include "project/ProjectLayout.h"

#include <QFile>
#include <QFileInfo>

QString HelpFilePath(const QString& programFolder) {
    return JoinPath(programFolder, ProjectLayout::HelpFileName(ProductVariant));
}

std::optional<HelpDocument> LoadHelpDocument(const QString& path) {
    if (QFileInfo(path).isDir())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    if (LooksLikeRtf(bytes))
        if (auto html = RtfToHtml(bytes))
            return HelpDocument{true, *html};
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return HelpDocument{false, QString::fromUtf8(bytes.mid(3))};
    return HelpDocument{false, FromAnsi(bytes)};
}

#include "tools/StringsFile.h"

#include "project/XmlDocument.h"

TSelStringSettings& SelStringSettings() {
    static TSelStringSettings settings;
    return settings;
}

TStringsFile ReadStringsFile(const QString& path) {
    TStringsFile result;
    QDomDocument doc;
    if (Result<> loaded = LoadXmlFile(doc, path); !loaded) {
        result.Error = loaded.error();
        return result;
    }
    const QDomElement root = doc.documentElement();
    if (root.isNull()) {
        result.Error = QStringLiteral("No document element");
        return result;
    }
    const QDomNodeList children = root.childNodes();
    result.Total = children.size();
    for (int k = 0; k < children.size() && k < kMaxStrings; ++k) {
        const QDomNode node = children.at(k);
        result.Strings.append(node.isElement() ? node.toElement().text() : node.nodeValue());
    }
    return result;
}

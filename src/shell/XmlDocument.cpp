#include "shell/XmlDocument.h"

#include "common/FileIO.h"

#include <QFile>

namespace {

// The start of the text at the parser's position, so the user can find the fault.
QString offendingText(const QByteArray& text, int line, int column) {
    const QList<QByteArray> lines = text.split('\n');
    if (line < 1 || line > lines.size())
        return {};
    QString at = QString::fromUtf8(lines[line - 1]);
    at.remove(QLatin1Char('\r'));
    const int from = qBound(0, column - 1, int(at.size()));
    return at.mid(from, 40).trimmed().isEmpty() ? at.left(40) : at.mid(from, 40);
}

} // namespace

std::optional<QString> LoadXmlText(QDomDocument& doc, const QByteArray& text) {
    doc.clear();
    QString reason;
    int line = 0;
    int column = 0;
    if (doc.setContent(text, false, &reason, &line, &column))
        return std::nullopt;
    doc.clear();
    return QStringLiteral("%1\nLine: %2\n%3")
        .arg(reason)
        .arg(line)
        .arg(offendingText(text, line, column));
}

std::optional<QString> LoadXmlFile(QDomDocument& doc, const QString& path) {
    doc.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return CannotOpenMessage(path, file.errorString());
    return LoadXmlText(doc, file.readAll());
}

QDomElement TopLevelElement(const QDomDocument& doc, const QString& name) {
    for (QDomNode n = doc.firstChild(); !n.isNull(); n = n.nextSibling())
        if (n.isElement() && n.nodeName() == name)
            return n.toElement();
    return {};
}

QDomElement ChildElement(const QDomElement& parent, const QString& name) {
    if (parent.isNull())
        return {};
    return parent.firstChildElement(name);
}

QString ElementText(const QDomElement& element) {
    return element.text();
}

void ClearDocument(QDomDocument& doc) {
    while (!doc.firstChild().isNull())
        doc.removeChild(doc.firstChild());
}

QDomElement AppendTextElement(QDomDocument& doc, QDomElement& parent, const QString& name,
                              const QString& text) {
    QDomElement child = doc.createElement(name);
    if (!text.isEmpty())
        child.appendChild(doc.createTextNode(text));
    parent.appendChild(child);
    return child;
}

QByteArray SerializeXml(const QDomDocument& doc) {
    return doc.toByteArray(-1);
}

std::optional<QString> SaveXmlFile(const QDomDocument& doc, const QString& path) {
    return WriteFileAtomically(path, SerializeXml(doc));
}

#include "project/XmlDocument.h"

#include "common/FileIO.h"

#include <QDir>
#include <QXmlStreamReader>

namespace {

// The start of the offending text: the parser points past the fault, so go back to the
// start of the tag (or reference) it sits in, on the parser's line.
QString offendingText(const QByteArray& text, qint64 line, qint64 column) {
    const QList<QByteArray> lines = text.split('\n');
    if (line < 1 || line > lines.size())
        return {};
    QString at = QString::fromUtf8(lines[line - 1]);
    at.remove(QLatin1Char('\r'));
    const qsizetype from = qBound<qsizetype>(0, column - 1, at.size());
    qsizetype start = -1;
    for (qsizetype i = qMin<qsizetype>(from, at.size() - 1); i >= 0; --i)
        if (at[i] == QLatin1Char('<') || at[i] == QLatin1Char('&')) {
            start = i;
            break;
        }
    if (start >= 0)
        return at.mid(start, 40);
    return at.mid(from, 40).trimmed().isEmpty() ? at.left(40) : at.mid(from, 40);
}

// The line at which nesting goes beyond what a project file may hold, found without building
// anything (the DOM needs time quadratic in the depth); 0 when the text stays within it (or is
// not well-formed, which the DOM then reports in its own words).
qint64 tooDeepAtLine(const QByteArray& text) {
    // Each element of the file itself begins at a '<' not followed by '/', '!' or '?', so a text
    // with no more of those than the limit cannot go beyond it and needs no second reading:
    // project files are small. Not so with a DTD: an entity's value written with character
    // references ("&#60;a&#62;") makes elements without a '<' in the file. Nor in UTF-16 or
    // UTF-32, whose markup characters each hold a zero byte: "<!" is not two bytes there.
    qsizetype starts = text.contains('\0') ? kMaxXmlDepth + 1 : 0;
    for (qsizetype at = text.indexOf('<'); at >= 0 && starts <= kMaxXmlDepth;
         at = text.indexOf('<', at + 1)) {
        const QByteArrayView next = QByteArrayView(text).sliced(at + 1);
        if (next.startsWith('!')) {
            if (next.startsWith("!--") || next.startsWith("![CDATA["))
                continue;
            starts = kMaxXmlDepth + 1;
            break;
        }
        if (!next.startsWith('/') && !next.startsWith('?'))
            ++starts;
    }
    if (starts <= kMaxXmlDepth)
        return 0;
    QXmlStreamReader reader(text);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > kMaxXmlDepth)
            return reader.lineNumber();
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    return 0;
}

std::optional<QString> loadXml(QDomDocument& doc, const QByteArray& text, const QString& path) {
    doc.clear();
    if (const qint64 line = tooDeepAtLine(text))
        return XmlTooDeepMessage(path, line);
    QString reason;
    int line = 0;
    int column = 0;
    if (doc.setContent(text, false, &reason, &line, &column))
        return std::nullopt;
    doc.clear();
    return XmlParseMessage(text, reason, line, column);
}

} // namespace

QString XmlTooDeepMessage(const QString& path, qint64 line) {
    const QString where = path.isEmpty()
                              ? QString()
                              : QStringLiteral(" in \"%1\"").arg(QDir::toNativeSeparators(path));
    return QStringLiteral("Elements nested more than %1 levels deep%2\nLine: %3")
        .arg(QString::number(kMaxXmlDepth), where, QString::number(line));
}

QString XmlParseMessage(const QByteArray& text, const QString& reason, qint64 line, qint64 column) {
    return QStringLiteral("%1\nLine: %2\n%3")
        .arg(reason, QString::number(line), offendingText(text, line, column));
}

Result<> LoadXmlText(QDomDocument& doc, const QByteArray& text, const QString& path) {
    if (std::optional<QString> why = loadXml(doc, text, path))
        return Fail(*why);
    return Ok();
}

Result<> LoadXmlFile(QDomDocument& doc, const QString& path, QByteArray* source) {
    doc.clear();
    Result<QByteArray> text = ReadRegularFile(path);
    if (!text)
        return Fail(text.error());
    if (source)
        *source = *text;
    return LoadXmlText(doc, *text, path);
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

QString ElementTextAsWritten(const QDomElement& element, const QByteArray& source) {
    if (element.isNull() || element.hasChildNodes())
        return element.text();
    // Its place among the document's elements, which the stream reader the DOM is built on
    // meets in the same order.
    qint64 place = 0;
    for (QDomNode n = element.ownerDocument().documentElement(); !n.isNull();) {
        if (n == element)
            break;
        if (n.isElement())
            ++place;
        if (!n.firstChild().isNull()) {
            n = n.firstChild();
            continue;
        }
        while (!n.isNull() && n.nextSibling().isNull())
            n = n.parentNode();
        if (!n.isNull())
            n = n.nextSibling();
    }
    QXmlStreamReader reader(source);
    for (qint64 seen = 0; !reader.atEnd();) {
        if (reader.readNext() == QXmlStreamReader::StartElement && seen++ == place) {
            const QString text = reader.readElementText();
            return reader.hasError() ? QString() : text;
        }
    }
    return {};
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

Result<> SaveXmlFile(const QDomDocument& doc, const QString& path) {
    return WriteFileAtomically(path, SerializeXml(doc));
}

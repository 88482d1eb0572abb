#include "tools/XmlTree.h"

#include "common/Ansi.h"
#include "common/FileIO.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QXmlStreamWriter>

#include <vector>

void ForEachXmlNode(const TXMLNode& document,
                    const std::function<void(const TXMLNode& node, int depth)>& visit) {
    struct Frame {
        const TXMLNode* node;
        int next;
    };
    visit(document, 0);
    std::vector<Frame> stack{{&document, 0}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next >= top.node->ChildCount()) {
            stack.pop_back();
            continue;
        }
        const TXMLNode* child = top.node->Child(top.next++);
        visit(*child, static_cast<int>(stack.size()));
        stack.push_back({child, 0});
    }
}

namespace {

bool isUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = decoder(bytes);
    return !decoder.hasError();
}

QString decodeCaption(const QByteArray& bytes, bool utf8Document) {
    if (utf8Document && isUtf8(bytes))
        return QString::fromUtf8(bytes);
    return FromAnsi(bytes);
}

} // namespace

QList<TXmlTreeRow> XmlTreeRows(const TXMLNode& document, const QByteArray& text,
                               const QString& fileName) {
    const bool utf8 = isUtf8(text);
    QList<TXmlTreeRow> rows;
    ForEachXmlNode(document, [&](const TXMLNode& node, int depth) {
        const QString caption = node.Kind == TXMLNodeKind::Document
                                    ? QStringLiteral("File: ") + fileName
                                    : decodeCaption(node.Caption(), utf8);
        rows.append({depth, XmlImageIndex(node.Kind), caption});
    });
    return rows;
}

TXmlTreeLoad LoadXmlTree(const QString& path) {
    TXmlTreeLoad result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.Error = CannotOpenMessage(path, file.errorString());
        return result;
    }
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.Error = CannotOpenMessage(path, file.errorString());
        return result;
    }
    const QString fileName = QFileInfo(path).fileName();
    try {
        TXMLStringReader reader(text);
        std::unique_ptr<TXMLNode> document = Parse(reader);
        document->Label = QFile::encodeName(fileName);
        result.Rows = XmlTreeRows(*document, text, fileName);
    } catch (const EXMLParseError& e) {
        result.Error = FromAnsi(e.Message());
    }
    return result;
}

// ---- Writing ---------------------------------------------------------------------------

namespace {

// The names the parser reads back: ASCII letters, "_" and ":" first, then also digits,
// "-" and ".".
bool isXmlName(const QString& name) {
    if (name.isEmpty())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        const bool start = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
        const bool other = (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (!(start || (i > 0 && other)))
            return false;
    }
    return true;
}

QString trimSpaces(const QString& text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text.at(from) == u' ')
        ++from;
    while (to > from && text.at(to - 1) == u' ')
        --to;
    return text.mid(from, to - from);
}

struct Split {
    QString name;
    QString value;
};

// "name = value" as the captions show it. Element text is trimmed of spaces; attribute
// values and instruction data lose only the one space after "=", so values that begin or
// end with spaces survive a round trip.
Split splitCaption(const QString& caption, bool trimValue) {
    const qsizetype eq = caption.indexOf(u'=');
    if (eq < 0)
        return {trimSpaces(caption), {}};
    QString value = caption.mid(eq + 1);
    if (trimValue)
        value = trimSpaces(value);
    else if (value.startsWith(u' '))
        value.remove(0, 1);
    return {trimSpaces(caption.left(eq)), value};
}

class TreeWriter {
public:
    explicit TreeWriter(const QList<TXmlTreeRow>& rows) : rows_(rows), xml_(&out_) {
        // Where each row's subtree ends: the next row that is not deeper.
        end_.assign(static_cast<std::size_t>(rows.size()), static_cast<int>(rows.size()));
        std::vector<int> open;
        for (int i = 0; i < rows.size(); ++i) {
            while (!open.empty() && rows[open.back()].Depth >= rows[i].Depth) {
                end_[static_cast<std::size_t>(open.back())] = i;
                open.pop_back();
            }
            open.push_back(i);
        }
    }

    TXmlTreeText compose() {
        if (rows_.isEmpty())
            return fail(QStringLiteral("Nothing to write: open an XML file first"));
        bool haveElement = false;
        for (int c = 1; c < end(0); c = end(c)) {
            const int image = rows_[c].ImageIndex;
            if (image == kXmlDeclarationImage) {
                if (!declaration(c))
                    return result();
            } else if (image == kXmlProcessingImage) {
                if (!instruction(c))
                    return result();
            } else if (image == kXmlElementImage && !haveElement) {
                haveElement = true;
                if (!element(c))
                    return result();
            }
        }
        if (!haveElement)
            return fail(QStringLiteral("Nothing to write: the tree holds no element"));
        if (xml_.hasError())
            return fail(QStringLiteral("The tree holds characters that XML does not allow"));
        return result();
    }

private:
    int end(int row) const { return end_[static_cast<std::size_t>(row)]; }

    TXmlTreeText result() const {
        if (error_)
            return {{}, error_};
        return {out_, std::nullopt};
    }
    TXmlTreeText fail(const QString& message) {
        error_ = message;
        return result();
    }
    bool invalidName(const QString& name) {
        error_ = QStringLiteral("\"%1\" is not a valid XML name").arg(name);
        return false;
    }

    // The declaration's pseudo-attributes; the file is written in UTF-8, so that is the
    // encoding it declares.
    bool declaration(int row) {
        QStringList parts;
        for (int c = row + 1; c < end(row); c = end(c)) {
            if (rows_[c].ImageIndex != kXmlAttributeImage)
                continue;
            Split a = splitCaption(rows_[c].Caption, false);
            if (!isXmlName(a.name))
                return invalidName(a.name);
            if (a.name == QLatin1String("encoding") &&
                a.value.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0)
                a.value = QStringLiteral("UTF-8");
            QString value = a.value;
            value.replace(u'&', QLatin1String("&amp;"))
                .replace(u'<', QLatin1String("&lt;"))
                .replace(u'"', QLatin1String("&quot;"));
            parts.append(a.name + QLatin1String("=\"") + value + QLatin1Char('"'));
        }
        xml_.writeProcessingInstruction(QStringLiteral("xml"), parts.join(u' '));
        return true;
    }

    bool instruction(int row) {
        Split pi = splitCaption(rows_[row].Caption, false);
        static const QLatin1String kWord("ProcessingInstruction");
        if (pi.name.endsWith(kWord))
            pi.name.chop(kWord.size());
        if (!isXmlName(pi.name) || pi.name == QLatin1String("xml"))
            return invalidName(pi.name);
        if (pi.value.contains(QLatin1String("?>"))) {
            error_ =
                QStringLiteral("Processing instruction \"%1\" cannot contain \"?>\"").arg(pi.name);
            return false;
        }
        xml_.writeProcessingInstruction(pi.name, pi.value);
        return true;
    }

    bool startElement(int row) {
        const Split e = splitCaption(rows_[row].Caption, true);
        if (!isXmlName(e.name))
            return invalidName(e.name);
        xml_.writeStartElement(e.name);
        for (int c = row + 1; c < end(row); c = end(c)) {
            if (rows_[c].ImageIndex != kXmlAttributeImage)
                continue;
            const Split a = splitCaption(rows_[c].Caption, false);
            if (!isXmlName(a.name))
                return invalidName(a.name);
            xml_.writeAttribute(a.name, a.value);
        }
        if (!e.value.isEmpty())
            xml_.writeCharacters(e.value);
        return true;
    }

    // Nested elements through an explicit stack, so any depth the parser read can be written.
    bool element(int row) {
        struct Frame {
            int row;
            int next;
        };
        if (!startElement(row))
            return false;
        std::vector<Frame> open{{row, row + 1}};
        while (!open.empty()) {
            Frame& top = open.back();
            if (top.next >= end(top.row)) {
                xml_.writeEndElement();
                open.pop_back();
                continue;
            }
            const int c = top.next;
            top.next = end(c);
            if (rows_[c].ImageIndex == kXmlElementImage) {
                if (!startElement(c))
                    return false;
                open.push_back({c, c + 1});
            } else if (rows_[c].ImageIndex == kXmlProcessingImage) {
                if (!instruction(c))
                    return false;
            }
        }
        return true;
    }

    const QList<TXmlTreeRow>& rows_;
    std::vector<int> end_;
    QByteArray out_;
    QXmlStreamWriter xml_;
    std::optional<QString> error_;
};

} // namespace

TXmlTreeText ComposeXmlTree(const QList<TXmlTreeRow>& rows) {
    return TreeWriter(rows).compose();
}

QString XmlTreeTarget(const QString& projectFolder, const QString& documentCaption) {
    const qsizetype colon = documentCaption.indexOf(u':');
    QString name = trimSpaces(colon < 0 ? QString() : documentCaption.mid(colon + 1));
    // Stored captions may carry Windows separators; only the bare name is used.
    name.replace(u'\\', u'/');
    name = name.mid(name.lastIndexOf(u'/') + 1);
    return JoinPath(projectFolder, name);
}

Result<> SaveXmlTree(const QList<TXmlTreeRow>& rows, const QString& projectFolder) {
    const TXmlTreeText composed = ComposeXmlTree(rows);
    if (composed.Error)
        return Fail(*composed.Error);
    const QString target = XmlTreeTarget(projectFolder, rows.first().Caption);
    const QString name = QFileInfo(target).fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return Fail(CannotCreateMessage(target, QStringLiteral("No file name")));
    return WriteFileAtomically(target, composed.Text);
}

// quenzor-cli xml-tree FILE: the tree the XML tool would show, one node per line.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "common/Ansi.h"
#include "common/FileIO.h"
#include "tools/XMLReader.h"
#include "tools/XmlTree.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

// Raw bytes, with only the characters that would break the one-line-per-node form escaped.
QByteArray escaped(const QByteArray& caption) {
    QByteArray out;
    out.reserve(caption.size());
    for (const char c : caption) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

const char kHelp[] =
    "usage: quenzor-cli xml-tree FILE\n\n"
    "Parses FILE with the XML tool's parser and prints its tree, one node per line,\n"
    "depth first: two spaces per level, then the node's caption. Backslash, LF and CR\n"
    "in captions are written as \\\\, \\n and \\r. A syntax error goes to standard\n"
    "error and the exit status is 1.";

} // namespace

int RunXmlTree(const QStringList& args) {
    CommandLine line(kHelp);
    if (const auto status = line.parse(args, 1, 1))
        return *status;
    const QString path = line.positional().first();
    Result<QByteArray> read = ReadRegularFile(path);
    if (!read) {
        CliErr(read.error());
        return 1;
    }
    const QByteArray& text = *read;

    std::unique_ptr<TXMLNode> document;
    try {
        TXMLStringReader reader(text);
        document = Parse(reader);
    } catch (const EXMLParseError& e) {
        CliErr(FromAnsi(e.Message()));
        return 1;
    }
    document->Label = QFile::encodeName(QFileInfo(path).fileName());

    QByteArray out;
    ForEachXmlNode(*document, [&out](const TXMLNode& node, int depth) {
        out += QByteArray(2 * depth, ' ') + escaped(node.Caption()) + '\n';
    });
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

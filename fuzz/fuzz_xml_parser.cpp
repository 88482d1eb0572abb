// The XML tool's own parser: any text either parses or fails with a message, and a parsed
// tree composes back to text that parses again.
#include "FuzzSupport.h"

#include "tools/XMLReader.h"
#include "tools/XmlTree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<TXmlTreeRow> rows;
    try {
        TXMLStringReader reader(text);
        std::unique_ptr<TXMLNode> document = Parse(reader);
        fuzz::check(document != nullptr, "a parse without error gave no document");
        rows = XmlTreeRows(*document, text, QStringLiteral("x.xml"));
    } catch (const EXMLParseError& e) {
        fuzz::check(!e.Message().isEmpty(), "a parse error without a message");
        return 0;
    }
    fuzz::check(!rows.isEmpty(), "a parsed document without its document row");
    (void)ComposeXmlTree(rows);
    return 0;
}

// A table file's text read in one pass of the stream reader gives what the DOM gives: the rows
// and their values, the rows counted and every reason, word for word.
#include "FuzzSupport.h"

#include "editors/TableFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QStringList attributes{QStringLiteral("a"), QStringLiteral("b"),
                                        QStringLiteral("c")};
    static const QStringList optional{QStringLiteral("c")};
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = QStringLiteral("/project/t.xml");
    const TableFileRows streamed = ReadTableText(text, path, attributes, optional);
    const TableFileRows dom = ReadTableText(text, path, attributes, optional, TableReader::Dom);
    fuzz::check(streamed.found == dom.found, "found differs");
    fuzz::check(streamed.fileRows == dom.fileRows, "the rows counted differ");
    fuzz::check(streamed.problem == dom.problem, "the reason differs");
    fuzz::check(streamed.rows == dom.rows, "the rows differ");
    return 0;
}

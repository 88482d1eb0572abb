// A table file as rows of attribute texts: the reader every editor shares and the writer that
// keeps the editor's attribute order.
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

struct TableFileRows {
    bool found = false;
    // In document order, each with its values in the order of the attribute names asked for;
    // an optional attribute that is missing gives empty text.
    std::vector<QStringList> rows;
    // The rows the file holds, readable or not; -1 when the file could not be parsed.
    int fileRows = -1;
    // Why reading stopped before the end; empty when every row was read.
    QString problem;
};

// Every child node of the root element is a row; the names of the root and of the rows are
// not looked at. A missing file is no problem (found stays false).
TableFileRows ReadTableFile(const QString& path, const QStringList& attributes,
                            const QStringList& optional = {});

// Which reader reads a table file's text: one pass of the stream reader, handing to the DOM
// the files only the DOM can judge, or the DOM alone, which gives the same (a fuzz target
// compares them).
enum class TableReader { Streaming, Dom };
// The same for the text read from `path` (which the reasons name).
TableFileRows ReadTableText(const QByteArray& text, const QString& path,
                            const QStringList& attributes, const QStringList& optional = {},
                            TableReader reader = TableReader::Streaming);

// The reason text for row `row` (counted from 1) of `path`.
QString TableRowProblem(const QString& path, int row, const QString& what);

// False when the text holds a character that an XML file cannot carry.
bool XmlCanHold(QStringView text);

// The root element named `tableName`, one "row" per entry with its attributes in the given
// order; no declaration, no white space.
Result<QByteArray> TableFileXml(const QString& tableName, const QStringList& attributes,
                                const std::vector<QStringList>& rows);
// The same, replacing the file at `path` atomically.
Result<> WriteTableFile(const QString& path, const QString& tableName,
                        const QStringList& attributes, const std::vector<QStringList>& rows);

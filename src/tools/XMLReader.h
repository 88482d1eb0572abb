// A small XML parser for display: turns a whole single-byte XML text into a tree of nodes
// (elements, attributes, processing instructions, the XML declaration), dropping comments,
// and stops at the first error with a message naming it.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

enum class TXMLNodeKind : std::uint8_t {
    Document = 0,
    Element = 1,
    Attribute = 2,
    ProcessingInstruction = 3,
    XmlDeclaration = 4,
};

class TXMLNode {
public:
    explicit TXMLNode(TXMLNodeKind kind, QByteArray name = {}, QByteArray value = {});
    // Releases the whole subtree without recursion, so deep documents cannot exhaust the stack.
    ~TXMLNode();
    TXMLNode(const TXMLNode&) = delete;
    TXMLNode& operator=(const TXMLNode&) = delete;

    // Element text, attribute value or processing-instruction data; otherwise empty.
    QByteArray Value;
    // Element, attribute or processing-instruction name; empty for document and declaration.
    QByteArray Name;
    TXMLNodeKind Kind;
    // Document only: the file name shown after "File: ".
    QByteArray Label;

    // Appends `child`, which the node owns from now on; returns it.
    TXMLNode* AddChild(std::unique_ptr<TXMLNode> child);
    // Takes `child` out of the list without releasing it; null when it is not a child.
    std::unique_ptr<TXMLNode> RemoveChild(const TXMLNode* child);
    int ChildCount() const { return static_cast<int>(children_.size()); }
    TXMLNode* Child(int index) const { return children_.at(static_cast<std::size_t>(index)).get(); }

    // The display text: name and kind word, then " = " and the value when there is one.
    QByteArray Caption() const;

private:
    std::vector<std::unique_ptr<TXMLNode>> children_;
};

// A position the reader can return to.
class TXMLReaderState {
public:
    virtual ~TXMLReaderState() = default;
};

// A character source with backtracking. The parser only sees the current character and
// these operations.
class TXMLReader {
public:
    virtual ~TXMLReader() = default;

    char Current() const { return current_; }

    // True when the current character is the last one of the text or the NUL after it.
    virtual bool Eof() const = 0;
    virtual void FreeState(std::unique_ptr<TXMLReaderState> state) = 0;
    // Makes the next character current; NUL once the text is used up.
    virtual void Next() = 0;
    virtual void RestoreState(const TXMLReaderState& state) = 0;
    virtual std::unique_ptr<TXMLReaderState> SaveState() = 0;

protected:
    char current_ = 0;
};

class TXMLStringReaderState : public TXMLReaderState {
public:
    TXMLStringReaderState(qsizetype position, char current)
        : Position(position), Current(current) {}
    qsizetype Position;
    char Current;
};

// Reads from a text held in memory; the read position counts from 1.
class TXMLStringReader : public TXMLReader {
public:
    explicit TXMLStringReader(QByteArray text) : text_(std::move(text)) {}

    bool Eof() const override;
    void FreeState(std::unique_ptr<TXMLReaderState> state) override;
    void Next() override;
    void RestoreState(const TXMLReaderState& state) override;
    std::unique_ptr<TXMLReaderState> SaveState() override;

    qsizetype Position() const { return position_; }

private:
    QByteArray text_;
    qsizetype position_ = 1;
};

// A syntax error; what() is the message exactly as the user sees it.
class EXMLParseError : public std::runtime_error {
public:
    explicit EXMLParseError(const QByteArray& message)
        : std::runtime_error(message.toStdString()) {}
    QByteArray Message() const { return QByteArray(what()); }
};

// Parses the whole text of `reader` and returns the document node. Throws EXMLParseError
// on the first syntax error; nothing built so far survives it.
std::unique_ptr<TXMLNode> Parse(TXMLReader& reader);

#include "tools/XMLReader.h"

#include "common/IntegerText.h"

#include <QString>

// ---- TXMLNode --------------------------------------------------------------------------

TXMLNode::TXMLNode(TXMLNodeKind kind, QByteArray name, QByteArray value)
    : Value(std::move(value)), Name(std::move(name)), Kind(kind) {}

TXMLNode::~TXMLNode() {
    // Flatten instead of recursing: each node is destroyed only after its children were
    // moved out, so no destructor ever runs more than one level deep.
    std::vector<std::unique_ptr<TXMLNode>> pending = std::move(children_);
    while (!pending.empty()) {
        std::unique_ptr<TXMLNode> node = std::move(pending.back());
        pending.pop_back();
        for (std::unique_ptr<TXMLNode>& child : node->children_)
            pending.push_back(std::move(child));
        node->children_.clear();
    }
}

TXMLNode* TXMLNode::AddChild(std::unique_ptr<TXMLNode> child) {
    children_.push_back(std::move(child));
    return children_.back().get();
}

std::unique_ptr<TXMLNode> TXMLNode::RemoveChild(const TXMLNode* child) {
    for (auto it = children_.begin(); it != children_.end(); ++it) {
        if (it->get() == child) {
            std::unique_ptr<TXMLNode> taken = std::move(*it);
            children_.erase(it);
            return taken;
        }
    }
    return nullptr;
}

QByteArray TXMLNode::Caption() const {
    QByteArray caption = Name;
    switch (Kind) {
    case TXMLNodeKind::Document:
        caption += "File: " + Label;
        break;
    case TXMLNodeKind::ProcessingInstruction:
        caption += "ProcessingInstruction";
        break;
    case TXMLNodeKind::XmlDeclaration:
        caption += "XMLDeclaration";
        break;
    case TXMLNodeKind::Element:
    case TXMLNodeKind::Attribute:
        break;
    }
    if (!Value.isEmpty())
        caption += " = " + Value;
    return caption;
}

// ---- TXMLStringReader ------------------------------------------------------------------

bool TXMLStringReader::Eof() const {
    return position_ > text_.size();
}

void TXMLStringReader::FreeState(std::unique_ptr<TXMLReaderState> state) {
    state.reset();
}

void TXMLStringReader::Next() {
    if (position_ > text_.size()) {
        current_ = 0;
        return;
    }
    current_ = text_.at(position_ - 1);
    ++position_;
}

void TXMLStringReader::RestoreState(const TXMLReaderState& state) {
    const auto& s = static_cast<const TXMLStringReaderState&>(state);
    position_ = s.Position;
    current_ = s.Current;
}

std::unique_ptr<TXMLReaderState> TXMLStringReader::SaveState() {
    return std::make_unique<TXMLStringReaderState>(position_, current_);
}

// ---- Parse -----------------------------------------------------------------------------

namespace {

bool isWhiteSpace(char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

bool isNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
}

bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           static_cast<unsigned char>(c) == 0xB7;
}

[[noreturn]] void fail(const QByteArray& message) {
    throw EXMLParseError(message);
}

// A saved reader position that is handed back to the reader however the scope is left.
class SavedState {
public:
    explicit SavedState(TXMLReader& reader) : reader_(reader), state_(reader.SaveState()) {}
    ~SavedState() { reader_.FreeState(std::move(state_)); }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;
    void restore() { reader_.RestoreState(*state_); }

private:
    TXMLReader& reader_;
    std::unique_ptr<TXMLReaderState> state_;
};

class Parser {
public:
    explicit Parser(TXMLReader& reader) : r_(reader) {}

    std::unique_ptr<TXMLNode> parseDocument() {
        advance();
        auto document = std::make_unique<TXMLNode>(TXMLNodeKind::Document);
        xmlDeclaration(*document);
        while (misc(*document)) {
        }
        if (literal("<!DOCTYPE"))
            fail("DocTypeDecl parsing not yet implemented");
        while (misc(*document)) {
        }
        if (!element(*document))
            fail("Missing element");
        while (misc(*document)) {
        }
        return document;
    }

private:
    char cur() const { return r_.Current(); }

    // Guarded advance: the last character of the text can be looked at but not left.
    void advance() {
        if (r_.Eof())
            fail("Unexpected end of data");
        r_.Next();
    }

    bool skipWhiteSpace() {
        bool skipped = false;
        while (isWhiteSpace(cur())) {
            r_.Next();
            skipped = true;
            if (r_.Eof())
                break;
        }
        return skipped;
    }

    // Matches `text` at the current character. Reaching the end of the text after a matching
    // character counts as a match even when the literal is not used up.
    bool literal(const char* text) {
        SavedState saved(r_);
        for (const char* p = text; *p; ++p) {
            if (cur() != *p) {
                saved.restore();
                return false;
            }
            r_.Next();
            if (r_.Eof())
                return true;
        }
        return true;
    }

    bool name(QByteArray& out) {
        if (!isNameStart(cur()))
            return false;
        out.clear();
        while (isNameChar(cur())) {
            out += cur();
            advance();
        }
        return true;
    }

    bool misc(TXMLNode& parent) {
        return skipWhiteSpace() || comment() || processingInstruction(parent);
    }

    void xmlDeclaration(TXMLNode& document) {
        if (!literal("<?xml"))
            return;
        auto declaration = std::make_unique<TXMLNode>(TXMLNodeKind::XmlDeclaration);
        do {
            skipWhiteSpace();
        } while (attribute(*declaration));
        skipWhiteSpace();
        if (!literal("?>"))
            fail("XML declaration not terminated with \"?>\"");
        document.AddChild(std::move(declaration));
    }

    bool comment() {
        if (!literal("<!--"))
            return false;
        // An unterminated comment at the end of the text is accepted.
        QByteArray text;
        while (!text.endsWith("-->") && !r_.Eof()) {
            text += cur();
            r_.Next();
        }
        if (text.endsWith("--->"))
            fail("Comments cannot end in \"--->\"");
        return true;
    }

    bool processingInstruction(TXMLNode& parent) {
        if (!literal("<?"))
            return false;
        QByteArray target;
        if (!name(target))
            fail("Processing instruction does not contain valid name");
        if (target == "xml")
            fail("Processing instruction cannot have the reserved name \"xml\"");
        skipWhiteSpace();
        // The closing "?>" may be the very end of the text; only running out before it fails.
        QByteArray data;
        bool usedUp = false;
        while (!data.endsWith("?>")) {
            if (usedUp)
                fail("Unterminated processing instruction");
            data += cur();
            usedUp = r_.Eof();
            r_.Next();
        }
        data.chop(2);
        parent.AddChild(
            std::make_unique<TXMLNode>(TXMLNodeKind::ProcessingInstruction, target, data));
        return true;
    }

    bool attribute(TXMLNode& owner) {
        QByteArray attrName;
        if (!name(attrName))
            return false;
        skipWhiteSpace();
        const char taken = cur();
        advance();
        skipWhiteSpace();
        if (taken != '=')
            fail("Equals sign missing in attribute");
        QByteArray value;
        if (!attributeValue(value))
            fail("Attribute \"" + attrName + "\" missing value");
        owner.AddChild(std::make_unique<TXMLNode>(TXMLNodeKind::Attribute, attrName, value));
        return true;
    }

    bool attributeValue(QByteArray& value) {
        const char quote = cur();
        if (quote != '"' && quote != '\'')
            return false;
        advance();
        while (cur() != quote) {
            if (cur() == '<')
                fail("Invalid character \"<\" in attribute value");
            if (cur() == '&') {
                value += reference();
            } else {
                value += cur();
                advance();
            }
        }
        advance();
        return true;
    }

    // Reads a reference and returns its character; reading goes on after the ";".
    char reference() {
        if (cur() != '&')
            fail("All references must begin with \"&\"");
        advance();
        QByteArray body;
        while (cur() != ';') {
            body += cur();
            advance();
        }
        char result = 0;
        if (body.startsWith('#')) {
            const QByteArray number = body.startsWith("#x") ? "$" + body.mid(2) : body.mid(1);
            const std::optional<std::int32_t> value = ParseIntegerText(QString::fromLatin1(number));
            if (!value)
                fail("Invalid integer in reference &" + body + ";");
            result = static_cast<char>(static_cast<std::uint32_t>(*value) & 0xFFu);
        } else if (body == "amp") {
            result = '&';
        } else if (body == "lt") {
            result = '<';
        } else if (body == "gt") {
            result = '>';
        } else if (body == "quot") {
            result = '"';
        } else if (body == "apos") {
            result = '\'';
        } else {
            fail("Unrecognized reference");
        }
        advance();
        return result;
    }

    // Reads a start tag into a new element of `parent`. Returns null when there is no
    // element here; `empty` tells whether it was closed by "/>".
    TXMLNode* startTag(TXMLNode& parent, bool& empty) {
        if (cur() != '<')
            return nullptr;
        QByteArray elementName;
        {
            SavedState saved(r_);
            advance();
            if (!name(elementName)) {
                saved.restore();
                return nullptr;
            }
        }
        TXMLNode* node =
            parent.AddChild(std::make_unique<TXMLNode>(TXMLNodeKind::Element, elementName));
        do {
            skipWhiteSpace();
        } while (attribute(*node));
        if (cur() == '/') {
            advance();
            if (cur() != '>')
                fail("Tag not terminated properly");
            // Unguarded, like an end tag: "<a/>" may be the whole text.
            r_.Next();
            empty = true;
            return node;
        }
        if (cur() != '>')
            fail("Tag not terminated properly");
        advance();
        empty = false;
        return node;
    }

    // One content item of `element`; a child element with content is returned through
    // `opened` so the caller descends into it without recursion.
    bool contentItem(TXMLNode& element, TXMLNode*& opened) {
        if (literal("<![CDATA[")) {
            QByteArray text;
            while (!text.endsWith("]]>")) {
                text += cur();
                advance();
            }
            text.chop(3);
            element.Value += text;
            return true;
        }
        if (processingInstruction(element) || comment())
            return true;
        bool empty = false;
        if (TXMLNode* child = startTag(element, empty)) {
            if (!empty)
                opened = child;
            return true;
        }
        if (characterData(element))
            return true;
        if (cur() == '&') {
            element.Value += reference();
            return true;
        }
        return false;
    }

    bool characterData(TXMLNode& element) {
        QByteArray text;
        while (cur() != 0 && cur() != '&' && cur() != '<') {
            text += cur();
            r_.Next();
        }
        if (text.isEmpty())
            return false;
        if (text.contains("]]>"))
            fail("Character data cannot contain \"]]>\"");
        element.Value += text;
        return true;
    }

    bool endTag(const TXMLNode& element) {
        if (!literal("</"))
            return false;
        QByteArray endName;
        if (!name(endName))
            return false;
        if (endName != element.Name)
            fail("End tag name \"" + endName + "\" does not match start tag name \"" +
                 element.Name + "\"");
        skipWhiteSpace();
        if (cur() != '>')
            fail("End tag missing \">\"");
        r_.Next();
        return true;
    }

    static void trim(QByteArray& value) {
        qsizetype from = 0;
        qsizetype to = value.size();
        while (from < to && isWhiteSpace(value.at(from)))
            ++from;
        while (to > from && isWhiteSpace(value.at(to - 1)))
            --to;
        value = value.mid(from, to - from);
    }

    // Elements nest through an explicit stack of open elements, so the depth of a
    // document is limited by memory only.
    bool element(TXMLNode& parent) {
        bool empty = false;
        TXMLNode* root = startTag(parent, empty);
        if (!root)
            return false;
        if (empty)
            return true;
        std::vector<TXMLNode*> open{root};
        while (!open.empty()) {
            TXMLNode* top = open.back();
            TXMLNode* opened = nullptr;
            while (!opened && contentItem(*top, opened)) {
            }
            if (opened) {
                open.push_back(opened);
                continue;
            }
            trim(top->Value);
            if (!endTag(*top))
                fail("No ending tag for " + top->Name);
            open.pop_back();
        }
        return true;
    }

    TXMLReader& r_;
};

} // namespace

std::unique_ptr<TXMLNode> Parse(TXMLReader& reader) {
    return Parser(reader).parseDocument();
}

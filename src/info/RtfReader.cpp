#include "info/RtfReader.h"

#include "common/Ansi.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QStringDecoder>

#include <array>
#include <cstdint>
#include <vector>

namespace {

constexpr int kMaxDepth = 256;
constexpr int kDefaultCodePage = 1252;

struct CharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int sizeHalfPoints = 24;
    int colour = 0;     // colour table index; 0 or a missing entry is the automatic colour
    int background = 0; // colour table index
    int font = -1;
    int vertical = 0; // -1 subscript, 1 superscript
    bool operator==(const CharFormat&) const = default;
};

struct ParaFormat {
    int align = 0; // 0 left, 1 centre, 2 right, 3 justified
    int leftTwips = 0;
    int rightTwips = 0;
    int firstTwips = 0;
    int beforeTwips = 0;
    int afterTwips = 0;
};

enum class Destination { Text, Skip, FontTable, ColourTable };

struct Group {
    CharFormat chr;
    ParaFormat para;
    Destination dest = Destination::Text;
    int unicodeSkip = 1; // \ucN: fallback characters after each \uN
};

struct Font {
    QString name;
    int codePage = 0; // 0: the document's
};

// Destinations whose text is not part of the document.
const QSet<QByteArray>& skippedDestinations() {
    static const QSet<QByteArray> names = {
        "stylesheet",
        "info",
        "pict",
        "object",
        "header",
        "headerl",
        "headerr",
        "headerf",
        "footer",
        "footerl",
        "footerr",
        "footerf",
        "footnote",
        "fldinst",
        "listtable",
        "listoverridetable",
        "revtbl",
        "rsidtbl",
        "xmlnstbl",
        "filetbl",
        "pgdsctbl",
        "themedata",
        "colorschememapping",
        "latentstyles",
        "datastore",
        "generator",
        "pn",
        "pntxta",
        "pntxtb",
        "txe",
        "xe",
        "tc",
        "bkmkstart",
        "bkmkend",
        "nonshppict",
        "shppict",
        "shp",
        "shpinst",
        "sp",
        "sn",
        "sv",
    };
    return names;
}

int codePageForCharset(int charset) {
    switch (charset) {
    case 238:
        return 1250;
    case 204:
        return 1251;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 163:
        return 1258;
    case 222:
        return 874;
    default:
        return 0;
    }
}

using Rgb = std::uint32_t; // 0xRRGGBB

QString cssColour(Rgb rgb) {
    return QStringLiteral("#%1").arg(rgb & 0xFFFFFFu, 6, 16, QLatin1Char('0'));
}

class Reader {
public:
    explicit Reader(const QByteArray& in) : in_(in) {}

    std::optional<QString> run() {
        bool closed = false;
        while (pos_ < in_.size()) {
            const char c = in_[pos_];
            if (closed) {
                // Only white space and padding may follow the document.
                if (c != ' ' && c != '\r' && c != '\n' && c != '\t' && c != '\0')
                    return std::nullopt;
                ++pos_;
                continue;
            }
            switch (c) {
            case '{':
                if (static_cast<int>(stack_.size()) >= kMaxDepth)
                    return std::nullopt;
                stack_.push_back(cur_);
                pendingSkip_ = 0;
                groupStart_ = true;
                ++pos_;
                continue;
            case '}':
                if (stack_.empty())
                    return std::nullopt;
                leaveGroup();
                cur_ = stack_.back();
                stack_.pop_back();
                pendingSkip_ = 0;
                groupStart_ = false;
                ++pos_;
                closed = stack_.empty();
                continue;
            case '\\':
                if (!controlSequence())
                    return std::nullopt;
                continue;
            case '\r':
            case '\n':
            case '\0':
                ++pos_;
                continue;
            default:
                groupStart_ = false;
                ++pos_;
                if (consumeSkip())
                    continue;
                text(decodeByte(static_cast<unsigned char>(c)));
            }
        }
        if (!closed)
            return std::nullopt;
        endParagraph(false);
        return QStringLiteral("<html><body>") + html_ + QStringLiteral("</body></html>");
    }

private:
    // One \-sequence at pos_. False when the document ends inside it.
    bool controlSequence() {
        ++pos_;
        if (pos_ >= in_.size())
            return false;
        const char c = in_[pos_];
        if (isLetter(c))
            return controlWord();
        ++pos_;
        const bool atGroupStart = groupStart_;
        groupStart_ = false;
        if (c == '\'') {
            if (pos_ + 2 > in_.size())
                return false;
            const int high = hexDigit(in_[pos_]);
            const int low = hexDigit(in_[pos_ + 1]);
            pos_ += 2;
            if (high < 0 || low < 0 || consumeSkip())
                return true;
            text(decodeByte(static_cast<unsigned char>(high * 16 + low)));
            return true;
        }
        if (c == '*') {
            // {\* ...}: a destination that may be skipped when unknown; none is known here.
            if (atGroupStart)
                cur_.dest = Destination::Skip;
            return true;
        }
        if (consumeSkip())
            return true;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            text(QChar::fromLatin1(c));
            break;
        case '~':
            text(QChar(0x00A0));
            break;
        case '_':
            text(QChar(0x2011));
            break;
        case '\r':
        case '\n':
            endParagraph(true);
            break;
        case '\t':
            text(QChar('\t'));
            break;
        default: // \- optional hyphen, \: index subentry, \| formula and unknown symbols
            break;
        }
        return true;
    }

    bool controlWord() {
        const int start = pos_;
        while (pos_ < in_.size() && isLetter(in_[pos_]) && pos_ - start < 32)
            ++pos_;
        const QByteArray word = in_.mid(start, pos_ - start);
        bool hasParam = false;
        bool negative = false;
        qint64 param = 0;
        if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() &&
            isDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        const int digitsStart = pos_;
        while (pos_ < in_.size() && isDigit(in_[pos_])) {
            if (pos_ - digitsStart < 10)
                param = param * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        hasParam = pos_ > digitsStart;
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;
        if (negative)
            param = -param;
        const int value = static_cast<int>(qBound<qint64>(-2147483647LL, param, 2147483647LL));
        const bool atGroupStart = groupStart_;
        groupStart_ = false;

        if (word == "bin") {
            // Binary data: skipped byte for byte, braces and all.
            if (value < 0 || value > in_.size() - pos_)
                return false;
            pos_ += value;
            return true;
        }
        if (consumeSkip())
            return true;
        if (cur_.dest == Destination::Skip)
            return true;
        if (atGroupStart && startDestination(word))
            return true;
        if (cur_.dest == Destination::FontTable) {
            fontTableWord(word, value, hasParam);
            return true;
        }
        if (cur_.dest == Destination::ColourTable) {
            if (word == "red")
                colourPart(16, value);
            else if (word == "green")
                colourPart(8, value);
            else if (word == "blue")
                colourPart(0, value);
            return true;
        }
        documentWord(word, value, hasParam);
        return true;
    }

    bool startDestination(const QByteArray& word) {
        if (word == "fonttbl") {
            cur_.dest = Destination::FontTable;
            return true;
        }
        if (word == "colortbl") {
            cur_.dest = Destination::ColourTable;
            colourOpen_ = false;
            return true;
        }
        if (skippedDestinations().contains(word)) {
            cur_.dest = Destination::Skip;
            return true;
        }
        return false;
    }

    void fontTableWord(const QByteArray& word, int value, bool hasParam) {
        if (word == "f" && hasParam) {
            commitFontName();
            fontNumber_ = value;
            fonts_[value];
        } else if (word == "fcharset" && fontNumber_ >= 0) {
            fonts_[fontNumber_].codePage = codePageForCharset(value);
        } else if (word == "cpg" && fontNumber_ >= 0) {
            fonts_[fontNumber_].codePage = value;
        }
    }

    void commitFontName() {
        if (fontNumber_ >= 0 && !fontName_.trimmed().isEmpty())
            fonts_[fontNumber_].name = fontName_.trimmed();
        fontName_.clear();
    }

    void colourPart(int shift, int value) {
        colour_ =
            (colour_ & ~(0xFFu << shift)) | (static_cast<Rgb>(qBound(0, value, 255)) << shift);
        colourOpen_ = true;
    }

    void leaveGroup() {
        if (cur_.dest == Destination::FontTable) {
            commitFontName();
            if (stack_.back().dest != Destination::FontTable)
                fontNumber_ = -1;
        }
    }

    void documentWord(const QByteArray& word, int value, bool hasParam) {
        CharFormat& f = cur_.chr;
        const bool on = !hasParam || value != 0;
        if (word == "par" || word == "page" || word == "sect" || word == "row") {
            endParagraph(true);
        } else if (word == "line") {
            flushRun();
            paragraph_ += QStringLiteral("<br />");
            paragraphEmpty_ = false;
        } else if (word == "tab" || word == "cell") {
            text(QChar('\t'));
        } else if (word == "pard") {
            cur_.para = ParaFormat();
        } else if (word == "plain") {
            const int font = f.font;
            f = CharFormat();
            f.font = defaultFont_ >= 0 ? defaultFont_ : font;
        } else if (word == "b") {
            f.bold = on;
        } else if (word == "i") {
            f.italic = on;
        } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" ||
                   word == "uldash" || word == "ulth" || word == "ulwave") {
            f.underline = on;
        } else if (word == "ulnone") {
            f.underline = false;
        } else if (word == "strike") {
            f.strike = on;
        } else if (word == "fs") {
            if (hasParam && value > 0 && value <= 3276)
                f.sizeHalfPoints = value;
        } else if (word == "cf") {
            f.colour = qMax(0, value);
        } else if (word == "cb" || word == "highlight") {
            f.background = qMax(0, value);
        } else if (word == "f") {
            f.font = value;
        } else if (word == "super") {
            f.vertical = on ? 1 : 0;
        } else if (word == "sub") {
            f.vertical = on ? -1 : 0;
        } else if (word == "nosupersub") {
            f.vertical = 0;
        } else if (word == "ql") {
            cur_.para.align = 0;
        } else if (word == "qc") {
            cur_.para.align = 1;
        } else if (word == "qr") {
            cur_.para.align = 2;
        } else if (word == "qj") {
            cur_.para.align = 3;
        } else if (word == "li") {
            cur_.para.leftTwips = value;
        } else if (word == "ri") {
            cur_.para.rightTwips = value;
        } else if (word == "fi") {
            cur_.para.firstTwips = value;
        } else if (word == "sb") {
            cur_.para.beforeTwips = value;
        } else if (word == "sa") {
            cur_.para.afterTwips = value;
        } else if (word == "u" && hasParam) {
            // UTF-16 unit, signed in the file; surrogate pairs come as two of them.
            const int unit = value < 0 ? value + 65536 : value;
            if (unit > 0 && unit <= 0xFFFF)
                text(QChar(static_cast<char16_t>(unit)));
            pendingSkip_ = cur_.unicodeSkip;
        } else if (word == "uc") {
            cur_.unicodeSkip = qBound(0, value, 16);
        } else if (word == "ansicpg") {
            codePage_ = value;
        } else if (word == "mac") {
            codePage_ = 10000;
        } else if (word == "pc") {
            codePage_ = 437;
        } else if (word == "pca") {
            codePage_ = 850;
        } else if (word == "deff") {
            defaultFont_ = value;
        } else if (word == "emdash") {
            text(QChar(0x2014));
        } else if (word == "endash") {
            text(QChar(0x2013));
        } else if (word == "bullet") {
            text(QChar(0x2022));
        } else if (word == "lquote") {
            text(QChar(0x2018));
        } else if (word == "rquote") {
            text(QChar(0x2019));
        } else if (word == "ldblquote") {
            text(QChar(0x201C));
        } else if (word == "rdblquote") {
            text(QChar(0x201D));
        } else if (word == "emspace") {
            text(QChar(0x2003));
        } else if (word == "enspace") {
            text(QChar(0x2002));
        }
        // Every other control word changes nothing that is shown.
    }

    // True when this character is the fallback of a \uN and is dropped.
    bool consumeSkip() {
        if (pendingSkip_ <= 0)
            return false;
        --pendingSkip_;
        return true;
    }

    QChar decodeByte(unsigned char byte) {
        int page = codePage_;
        if (cur_.dest == Destination::Text && cur_.chr.font >= 0) {
            const auto it = fonts_.constFind(cur_.chr.font);
            if (it != fonts_.constEnd() && it->codePage > 0)
                page = it->codePage;
        }
        return codePageTable(page)[byte];
    }

    const std::array<QChar, 256>& codePageTable(int page) {
        if (page == kDefaultCodePage || page <= 0)
            return windows1252();
        auto it = tables_.find(page);
        if (it != tables_.end())
            return it.value();
        std::array<QChar, 256> table{};
        QStringDecoder decoder(QByteArray("windows-" + QByteArray::number(page)).constData());
        if (page == 10000)
            decoder = QStringDecoder("macintosh");
        else if (page == 437 || page == 850)
            decoder = QStringDecoder(QByteArray("IBM" + QByteArray::number(page)).constData());
        for (int b = 0; b < 256; ++b) {
            QString decoded;
            if (decoder.isValid()) {
                decoded = decoder.decode(QByteArray(1, static_cast<char>(b)));
                decoder.resetState();
            }
            // Multi-byte and unknown code pages read as Windows-1252.
            table[b] = decoded.size() == 1 ? decoded.front() : windows1252()[b];
        }
        return tables_.insert(page, table).value();
    }

    static const std::array<QChar, 256>& windows1252() {
        static const std::array<QChar, 256> table = [] {
            std::array<QChar, 256> t{};
            for (int b = 0; b < 256; ++b) {
                const QString one = FromAnsi(QByteArray(1, static_cast<char>(b)));
                t[b] = one.isEmpty() ? QChar(0xFFFD) : one.front();
            }
            return t;
        }();
        return table;
    }

    void text(QChar ch) {
        switch (cur_.dest) {
        case Destination::Skip:
            return;
        case Destination::FontTable:
            if (ch == QLatin1Char(';'))
                commitFontName();
            else
                fontName_ += ch;
            return;
        case Destination::ColourTable:
            if (ch == QLatin1Char(';')) {
                colours_.append(colourOpen_ ? std::optional<Rgb>(colour_) : std::nullopt);
                colour_ = 0;
                colourOpen_ = false;
            }
            return;
        case Destination::Text:
            break;
        }
        if (!runOpen_ || !(cur_.chr == runFormat_)) {
            flushRun();
            runFormat_ = cur_.chr;
            runOpen_ = true;
        }
        run_ += ch;
        paragraphEmpty_ = false;
        lastPara_ = cur_.para;
    }

    void flushRun() {
        if (!runOpen_)
            return;
        if (!run_.isEmpty())
            paragraph_ += QStringLiteral("<span style=\"%1\">%2</span>")
                              .arg(spanStyle(runFormat_), run_.toHtmlEscaped());
        run_.clear();
        runOpen_ = false;
    }

    std::optional<Rgb> colourAt(int index) const {
        return index >= 0 && index < colours_.size() ? colours_[index] : std::nullopt;
    }

    QString spanStyle(const CharFormat& f) const {
        QString style = QStringLiteral("font-size:%1pt;").arg(f.sizeHalfPoints / 2.0);
        if (f.bold)
            style += QStringLiteral("font-weight:700;");
        if (f.italic)
            style += QStringLiteral("font-style:italic;");
        if (f.underline || f.strike)
            style += QStringLiteral("text-decoration:%1%2;")
                         .arg(f.underline ? QStringLiteral("underline") : QString(),
                              f.strike ? QStringLiteral(" line-through") : QString());
        if (const auto c = colourAt(f.colour))
            style += QStringLiteral("color:%1;").arg(cssColour(*c));
        if (f.background > 0)
            if (const auto c = colourAt(f.background))
                style += QStringLiteral("background-color:%1;").arg(cssColour(*c));
        if (f.vertical)
            style += QStringLiteral("vertical-align:%1;")
                         .arg(f.vertical > 0 ? QStringLiteral("super") : QStringLiteral("sub"));
        const auto font = fonts_.constFind(f.font);
        if (font != fonts_.constEnd() && !font->name.isEmpty()) {
            QString family = font->name;
            family.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
            style += QStringLiteral("font-family:'%1';").arg(family.toHtmlEscaped());
        }
        return style;
    }

    // Twips to pixels at 96 dpi, within what a page can hold.
    static int px(int twips) { return qBound(-2000, twips / 15, 2000); }

    // `explicitEnd`: a paragraph mark. At the document's end only a paragraph with text is
    // written, as the mark after the last one is implied.
    void endParagraph(bool explicitEnd) {
        if (cur_.dest != Destination::Text && explicitEnd)
            return;
        flushRun();
        if (!explicitEnd && paragraphEmpty_)
            return;
        const ParaFormat& p = explicitEnd ? cur_.para : lastPara_;
        static const char* const aligns[] = {"left", "center", "right", "justify"};
        QString style = QStringLiteral("margin-top:%1px;margin-bottom:%2px;margin-left:%3px;"
                                       "margin-right:%4px;text-indent:%5px;white-space:pre-wrap;")
                            .arg(qMax(0, px(p.beforeTwips)))
                            .arg(qMax(0, px(p.afterTwips)))
                            .arg(qMax(0, px(p.leftTwips)))
                            .arg(qMax(0, px(p.rightTwips)))
                            .arg(px(p.firstTwips));
        QString body = paragraph_;
        if (paragraphEmpty_) {
            // The view's own mark for an empty paragraph: one line high, in its font.
            style.prepend(QStringLiteral("-qt-paragraph-type:empty;") + spanStyle(cur_.chr));
            body = QStringLiteral("<br />");
        }
        html_ += QStringLiteral("<p align=\"%1\" style=\"%2\">%3</p>")
                     .arg(QLatin1String(aligns[qBound(0, p.align, 3)]), style, body);
        paragraph_.clear();
        paragraphEmpty_ = true;
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static int hexDigit(char c) {
        if (isDigit(c))
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    const QByteArray& in_;
    int pos_ = 0;
    std::vector<Group> stack_;
    Group cur_;
    bool groupStart_ = false;
    int pendingSkip_ = 0;

    int codePage_ = kDefaultCodePage;
    int defaultFont_ = -1;
    QHash<int, Font> fonts_;
    int fontNumber_ = -1;
    QString fontName_;
    QList<std::optional<Rgb>> colours_;
    Rgb colour_ = 0;
    bool colourOpen_ = false;
    QHash<int, std::array<QChar, 256>> tables_;

    QString html_;
    QString paragraph_;
    bool paragraphEmpty_ = true;
    ParaFormat lastPara_; // for a last paragraph that has no mark of its own
    QString run_;
    CharFormat runFormat_;
    bool runOpen_ = false;
};

} // namespace

bool LooksLikeRtf(const QByteArray& bytes) {
    return bytes.startsWith("{\\rtf");
}

std::optional<QString> RtfToHtml(const QByteArray& rtf) {
    if (!LooksLikeRtf(rtf))
        return std::nullopt;
    return Reader(rtf).run();
}

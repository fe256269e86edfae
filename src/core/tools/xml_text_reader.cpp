#include "core/tools/xml_text_reader.h"

#include <algorithm>
#include <string_view>
#include <type_traits>

#include "core/project/error.h"
#include "core/project/integer_text.h"

namespace kestrova {
namespace {

// The character classes by table: names and white space are scanned a character at a time.
enum : uint8_t { kNameStart = 1, kNameChar = 2, kWhite = 4 };
struct CharClasses {
    uint8_t of[256] = {};
    constexpr CharClasses() {
        for (int c = 0; c < 256; ++c) {
            const char ch = static_cast<char>(c);
            of[c] = (IsXmlNameStart(ch) ? kNameStart : 0) | (IsXmlNameChar(ch) ? kNameChar : 0) |
                    (ch == '\t' || ch == '\n' || ch == '\r' || ch == ' ' ? kWhite : 0);
        }
    }
};
constexpr CharClasses kCharClasses;  // ready before any static initialiser reads a file
bool Is(char c, uint8_t charClass) { return kCharClasses.of[static_cast<unsigned char>(c)] & charClass; }
bool IsNameStart(char c) { return Is(c, kNameStart); }
bool IsNameChar(char c) { return Is(c, kNameChar); }
bool IsWhite(char c) { return Is(c, kWhite); }

bool EndsWith(const std::string& text, const char* tail, size_t length) {
    return text.size() >= length && text.compare(text.size() - length, length, tail) == 0;
}

std::string_view TrimmedWhite(std::string_view text) {
    while (!text.empty() && IsWhite(text.back())) text.remove_suffix(1);
    while (!text.empty() && IsWhite(text.front())) text.remove_prefix(1);
    return text;
}

// The rules of the reader over one character source, building a table of nodes. A template so
// that the string reader's calls are direct; any other TXMLReader goes through its virtual
// operations.
template <class Reader>
class Parser {
    // The string reader hands the parser runs of characters at once.
    static constexpr bool kDirect = std::is_same_v<Reader, TXMLStringReader>;
    using Index = TXMLNodeTable::Index;

public:
    explicit Parser(Reader& reader) : in_(reader), values_(kMaxXmlNesting + 1) {}

    TXMLNodeTable Document() {
        Advance();
        Match("\xEF\xBB\xBF");  // a UTF-8 byte-order mark is no character of the document
        if constexpr (kDirect) table_.ReserveTexts(in_.Remaining().size());
        const Index document = table_.Open(TXMLNodeType::Document, {});
        Prolog();
        if (!Element(0)) throw Error("Missing element");
        while (Misc()) {
        }
        table_.Close(document);
        return std::move(table_);
    }

private:
    char C() const { return in_.Current(); }

    // Advance: there must be a next character.
    void Advance() {
        if (in_.AtEnd()) throw Error("Unexpected end of data");
        in_.NextChar();
    }
    // Soft advance: past the last character the current one becomes 0 and the input has ended.
    void Soft() {
        if (in_.AtEnd()) ended_ = true;
        in_.NextChar();
    }

    bool SkipWhite() {
        if constexpr (kDirect) {
            if (ended_ || !IsWhite(C())) return false;
            const std::string_view rest = in_.Remaining();
            size_t count = 1;
            while (count < rest.size() && IsWhite(rest[count])) ++count;
            MoveOn(count, rest.size());
            return true;
        }
        bool skipped = false;
        while (!ended_ && IsWhite(C())) {
            Soft();
            skipped = true;
        }
        return skipped;
    }

    // Matches the literal and moves past it, or leaves the position as it was. The end of the
    // input before the literal is complete is a mismatch.
    bool Match(const char* literal) {
        if (C() != literal[0] || ended_) return false;  // the common case, without saving a state
        if constexpr (kDirect) {
            const std::string_view rest = in_.Remaining();
            size_t length = 1;
            for (; literal[length]; ++length)
                if (length == rest.size() || rest[length] != literal[length]) return false;
            MoveOn(length, rest.size());
            return true;
        }
        in_.SaveState();
        const bool endedBefore = ended_;
        for (const char* c = literal; *c; ++c) {
            if (ended_ || C() != *c) {
                in_.RestoreState();
                ended_ = endedBefore;
                return false;
            }
            Soft();
        }
        in_.FreeState();
        return true;
    }

    // A name when the current character starts one; the empty text otherwise. The string
    // reader's names are views of its text, the others are valid until the next name.
    std::string_view Name() {
        if (!AtNameStart()) return {};
        if constexpr (kDirect) {
            const std::string_view rest = in_.Remaining();
            size_t count = 1;
            while (count < rest.size() && IsNameChar(rest[count])) ++count;
            if (count == rest.size()) throw Error("Unexpected end of data");
            in_.Skip(count);
            return rest.substr(0, count);
        }
        name_.clear();
        Run(
            name_, [](char c) { return !IsNameChar(c); }, false);
        return name_;
    }
    bool AtNameStart() const { return !ended_ && IsNameStart(C()); }

    // String reader: `count` characters of the `available` remaining ones on, as Soft would.
    void MoveOn(size_t count, size_t available) {
        if (count < available) {
            in_.Skip(count);
        } else {
            in_.SkipToEnd();
            ended_ = true;
        }
    }

    // Appends the characters from the current one up to the first that `stop` accepts, which
    // becomes current. Reaching the end fails as Advance does, or, when `mayEnd`, ends the
    // input as Soft does. The string reader hands over the whole run at once.
    template <class Stop>
    void Run(std::string& out, Stop stop, bool mayEnd) {
        if constexpr (kDirect) {
            if (ended_) return;
            const std::string_view rest = in_.Remaining();
            size_t count = 0;
            while (count < rest.size() && !stop(rest[count])) ++count;
            out.append(rest.data(), count);
            if (count < rest.size()) {
                in_.Skip(count);
            } else if (!mayEnd) {
                throw Error("Unexpected end of data");
            } else {
                in_.SkipToEnd();
                ended_ = true;
            }
        } else {
            while (!ended_ && !stop(C())) {
                out += C();
                mayEnd ? Soft() : Advance();
            }
        }
    }

    void Prolog() {
        XmlDeclaration();
        while (Misc()) {
        }
        if (Match("<!DOCTYPE")) throw Error("DocTypeDecl parsing not yet implemented");
        while (Misc()) {
        }
    }

    void XmlDeclaration() {
        if (!Match("<?xml")) return;
        const Index declaration = table_.Open(TXMLNodeType::XmlDeclaration, {});
        do {
            SkipWhite();
        } while (Attribute());
        SkipWhite();
        if (!Match("?>")) throw Error("XML declaration not terminated with \"?>\"");
        table_.Close(declaration);
    }

    bool Misc() { return SkipWhite() || Comment() || ProcessingInstruction(); }

    bool Comment() {
        if (!Match("<!--")) return false;
        std::string& text = scratch_;
        text.clear();
        while (!ended_) {
            text += C();
            Soft();
            if (EndsWith(text, "-->", 3)) {
                if (EndsWith(text, "--->", 4)) throw Error("Comments cannot end in \"--->\"");
                break;
            }
        }
        return true;
    }

    bool ProcessingInstruction() {
        if (!Match("<?")) return false;
        const std::string_view name = Name();
        if (name.empty()) throw Error("Processing instruction does not contain valid name");
        if (name == "xml") throw Error("Processing instruction cannot have the reserved name \"xml\"");
        const Index instruction = table_.Open(TXMLNodeType::ProcessingInstruction, name);
        SkipWhite();
        std::string& text = scratch_;
        text.clear();
        for (;;) {
            if (ended_) throw Error("Unterminated processing instruction");
            text += C();
            Soft();
            if (EndsWith(text, "?>", 2)) break;
        }
        table_.SetValue(instruction, std::string_view(text).substr(0, text.size() - 2));
        table_.Close(instruction);
        return true;
    }

    bool Element(int depth) {
        if (ended_ || C() != '<') return false;
        if constexpr (kDirect) {
            const std::string_view rest = in_.Remaining();
            if (rest.size() < 2 || !IsNameStart(rest[1])) return false;
            in_.Skip(1);
        } else {
            in_.SaveState();
            Soft();
            if (ended_ || !IsNameStart(C())) {
                in_.RestoreState();
                ended_ = false;
                return false;
            }
            in_.FreeState();
        }
        if (depth >= kMaxXmlNesting)
            throw Error("Elements nested deeper than " + std::to_string(kMaxXmlNesting) + " levels");
        const Index element = table_.Open(TXMLNodeType::Element, Name());
        do {
            SkipWhite();
        } while (Attribute());
        if (C() == '/' && !ended_) {
            Advance();
            if (C() != '>') throw Error("Tag not terminated properly");
            Advance();
            table_.Close(element);
            return true;
        }
        if (C() != '>' || ended_) throw Error("Tag not terminated properly");
        Advance();
        std::string& value = values_[static_cast<size_t>(depth)];
        value.clear();
        Content(value, depth);
        table_.SetValue(element, TrimmedWhite(value));
        const std::string_view name = table_.Name(element);
        if (!Match("</")) throw Error("No ending tag for " + std::string(name));
        const std::string_view endName = Name();
        if (endName != name)
            throw Error("End tag name \"" + std::string(endName) + "\" does not match start tag name \"" +
                        std::string(name) + "\"");
        SkipWhite();
        if (ended_ || C() != '>') throw Error("End tag missing \">\"");
        Soft();
        table_.Close(element);
        return true;
    }

    bool Attribute() {
        if (!AtNameStart()) return false;
        const Index attribute = table_.Open(TXMLNodeType::Attribute, Name());
        SkipWhite();
        if (ended_ || C() != '=') throw Error("Equals sign missing in attribute");
        Advance();
        SkipWhite();
        const char quote = C();
        if (ended_ || (quote != '"' && quote != '\''))
            throw Error("Attribute \"" + std::string(table_.Name(attribute)) + "\" missing value");
        std::string& value = scratch_;
        value.clear();
        Advance();
        for (;;) {
            Run(
                value, [quote](char c) { return c == quote || c == '<' || c == '&'; }, false);
            if (C() == quote) break;
            if (C() == '<') throw Error("Invalid character \"<\" in attribute value");
            value += Reference();
        }
        Advance();
        table_.SetValue(attribute, value);
        table_.Close(attribute);
        return true;
    }

    // The element's character data, CDATA sections and references are appended to `value`.
    void Content(std::string& value, int depth) {
        while (!ended_) {
            if (CData(value) || ProcessingInstruction() || Comment() || Element(depth + 1) || CharacterData(value))
                continue;
            if (C() != '&') break;
            value += Reference();
        }
    }

    bool CData(std::string& value) {
        if (!Match("<![CDATA[")) return false;
        const size_t start = value.size();
        for (;;) {
            value += C();
            Advance();  // the final ">" too: there must be an end tag after it
            if (value.size() - start >= 3 && EndsWith(value, "]]>", 3)) break;
        }
        value.resize(value.size() - 3);
        return true;
    }

    bool CharacterData(std::string& value) {
        const size_t start = value.size();
        Run(
            value, [](char c) { return c == '<' || c == '&'; }, true);
        if (value.size() == start) return false;
        if (value.find("]]>", start) != std::string::npos) throw Error("Character data cannot contain \"]]>\"");
        return true;
    }

    // "&...;" at the current character: the character it stands for. Moves past the ";".
    char Reference() {
        if (ended_ || C() != '&') throw Error("All references must begin with \"&\"");
        std::string text;
        Advance();
        Run(
            text, [](char c) { return c == ';'; }, false);
        Advance();
        const std::string_view name = text;  // compared without a call per candidate
        if (!text.empty() && text[0] == '#') {
            const auto code = TryIntegerText(text.substr(1));
            if (!code) throw Error("Invalid integer in reference &" + text + ";");
            return static_cast<char>(static_cast<uint32_t>(*code) & 0xFF);  // the low 8 bits
        }
        if (name == "amp") return '&';
        if (name == "lt") return '<';
        if (name == "gt") return '>';
        if (name == "quot") return '"';
        if (name == "apos") return '\'';
        throw Error("Unrecognized reference");
    }

    Reader& in_;
    TXMLNodeTable table_;
    std::vector<std::string> values_;  // the text of the open element at each depth
    std::string scratch_;              // an attribute value, a comment or an instruction's text
    std::string name_;                 // the last name read from a reader other than the string reader
    bool ended_ = false;               // soft-advanced past the last character
};

void AddNodes(TXMLNode& node, const TXMLNodeTable& table, TXMLNodeTable::Index index) {
    node.value = table.Value(index);
    for (auto child = index + 1; child < table.End(index); child = table.End(child))
        AddNodes(*node.AddChild(std::make_unique<TXMLNode>(table.Type(child), std::string(table.Name(child)))), table,
                 child);
}

}  // namespace

bool IsXmlName(const std::string& text) {
    return !text.empty() && IsXmlNameStart(text[0]) && std::all_of(text.begin(), text.end(), IsXmlNameChar);
}

std::string XmlDisplayText(TXMLNodeType type, std::string_view name, std::string_view value,
                           std::string_view fileName) {
    std::string text(name);
    switch (type) {
        case TXMLNodeType::Document:
            return text.append("File: ").append(fileName);
        case TXMLNodeType::ProcessingInstruction:
            text += "ProcessingInstruction";
            break;
        case TXMLNodeType::XmlDeclaration:
            text += "XMLDeclaration";
            break;
        case TXMLNodeType::Element:
        case TXMLNodeType::Attribute:
            break;
    }
    if (!value.empty()) text.append(" = ").append(value);
    return text;
}

TXMLNode* TXMLNode::AddChild(std::unique_ptr<TXMLNode> child) {
    children.push_back(std::move(child));
    return children.back().get();
}

std::unique_ptr<TXMLNode> TXMLNode::RemoveChild(const TXMLNode* child) {
    const auto found =
        std::find_if(children.begin(), children.end(), [child](const auto& node) { return node.get() == child; });
    if (found == children.end()) return nullptr;
    std::unique_ptr<TXMLNode> taken = std::move(*found);
    children.erase(found);
    return taken;
}

TXMLNodeTable::TXMLNodeTable() : texts_(1, '\0') {}  // offset 0 stands for the empty text

void TXMLNodeTable::ReserveTexts(size_t documentBytes) { texts_.reserve(std::min(documentBytes, kMaxTextBytes) + 16); }

size_t TXMLNodeTable::ChildCount(Index node) const {
    size_t count = 0;
    for (Index child = node + 1; child < End(node); child = End(child)) ++count;
    return count;
}

std::string_view TXMLNodeTable::DeclaredEncoding() const {
    for (Index child = kDocument + 1; child < size_ && child < End(kDocument); child = End(child)) {
        if (Type(child) != TXMLNodeType::XmlDeclaration) continue;
        for (Index attribute = child + 1; attribute < End(child); attribute = End(attribute))
            if (Name(attribute) == "encoding") return Value(attribute);
    }
    return {};
}

TXMLNodeTable::Index TXMLNodeTable::Open(TXMLNodeType type, std::string_view name) {
    if (size_ == kMaxNodes) throw Error("The XML document holds too many nodes to be read");
    if ((size_ & ((1u << kChunkBits) - 1)) == 0) chunks_.emplace_back(new Record[size_t{1} << kChunkBits]);
    Record& record = At(size_);
    record.name = Store(name);
    record.value = 0;
    record.endAndType = static_cast<uint32_t>(type);
    return size_++;
}

uint32_t TXMLNodeTable::Store(std::string_view text) {
    if (text.empty()) return 0;
    if (texts_.size() + text.size() + 5 > kMaxTextBytes) throw Error("The XML document is too large to be read");
    const auto offset = static_cast<uint32_t>(texts_.size());
    for (size_t length = text.size();; length >>= 7) {
        if (length < 0x80) {
            texts_ += static_cast<char>(length);
            break;
        }
        texts_ += static_cast<char>(0x80 | (length & 0x7F));
    }
    texts_.append(text);
    return offset;
}

std::string_view TXMLNodeTable::Text(uint32_t offset) const {
    if (offset == 0) return {};
    size_t length = 0;
    for (unsigned shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(texts_[offset++]);
        length |= size_t{byte & 0x7Fu} << shift;
        if (byte < 0x80) break;
    }
    return std::string_view(texts_).substr(offset, length);
}

std::unique_ptr<TXMLNode> TXMLNodeTree(const TXMLNodeTable& table) {
    auto document = std::make_unique<TXMLNode>(TXMLNodeType::Document);
    AddNodes(*document, table, TXMLNodeTable::kDocument);
    document->SetFileName(table.fileName);
    return document;
}

TXMLNodeTable TXMLReader::ParseTable() { return Parser<TXMLReader>(*this).Document(); }

TXMLNodeTable TXMLStringReader::ParseTable() {
    states_.clear();
    return Parser<TXMLStringReader>(*this).Document();
}

}  // namespace kestrova

#include "core/tools/xml_text_reader.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <type_traits>

#include "core/project/error.h"
#include "core/project/integer_text.h"

namespace kestrova {
namespace {

bool IsNameStart(char c) { return IsXmlNameStart(c); }
bool IsNameChar(char c) { return IsXmlNameChar(c); }
bool IsWhite(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

bool EndsWith(const std::string& text, const char* tail, size_t length) {
    return text.size() >= length && text.compare(text.size() - length, length, tail) == 0;
}

void TrimWhite(std::string& text) {
    size_t end = text.size();
    while (end > 0 && IsWhite(text[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && IsWhite(text[begin])) ++begin;
    text.erase(end);
    text.erase(0, begin);
}

// The rules of the reader over one character source. A template so that the string reader's
// calls are direct; any other TXMLReader goes through its virtual operations.
template <class Reader>
class Parser {
public:
    explicit Parser(Reader& reader) : in_(reader) {}

    std::unique_ptr<TXMLNode> Document() {
        Advance();
        auto document = std::make_unique<TXMLNode>(TXMLNodeType::Document);
        Prolog(*document);
        if (!Element(*document, 0)) throw Error("Missing element");
        while (Misc(*document)) {
        }
        return document;
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

    // A name when the current character starts one; the empty text otherwise.
    std::string Name() {
        std::string name;
        if (ended_ || !IsNameStart(C())) return name;
        Run(
            name, [](char c) { return !IsNameChar(c); }, false);
        return name;
    }

    // Appends the characters from the current one up to the first that `stop` accepts, which
    // becomes current. Reaching the end fails as Advance does, or, when `mayEnd`, ends the
    // input as Soft does. The string reader hands over the whole run at once.
    template <class Stop>
    void Run(std::string& out, Stop stop, bool mayEnd) {
        if constexpr (std::is_same_v<Reader, TXMLStringReader>) {
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

    void Prolog(TXMLNode& document) {
        XmlDeclaration(document);
        while (Misc(document)) {
        }
        if (Match("<!DOCTYPE")) throw Error("DocTypeDecl parsing not yet implemented");
        while (Misc(document)) {
        }
    }

    void XmlDeclaration(TXMLNode& document) {
        if (!Match("<?xml")) return;
        auto declaration = std::make_unique<TXMLNode>(TXMLNodeType::XmlDeclaration);
        do {
            SkipWhite();
        } while (Attribute(declaration->children));
        SkipWhite();
        if (!Match("?>")) throw Error("XML declaration not terminated with \"?>\"");
        document.AddChild(std::move(declaration));
    }

    bool Misc(TXMLNode& parent) { return SkipWhite() || Comment() || ProcessingInstruction(parent); }

    bool Comment() {
        if (!Match("<!--")) return false;
        std::string text;
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

    bool ProcessingInstruction(TXMLNode& parent) {
        if (!Match("<?")) return false;
        std::string name = Name();
        if (name.empty()) throw Error("Processing instruction does not contain valid name");
        if (name == "xml") throw Error("Processing instruction cannot have the reserved name \"xml\"");
        auto instruction = std::make_unique<TXMLNode>(TXMLNodeType::ProcessingInstruction, std::move(name));
        SkipWhite();
        std::string& text = instruction->value;
        for (;;) {
            if (ended_) throw Error("Unterminated processing instruction");
            text += C();
            Soft();
            if (EndsWith(text, "?>", 2)) break;
        }
        text.resize(text.size() - 2);
        parent.AddChild(std::move(instruction));
        return true;
    }

    bool Element(TXMLNode& parent, int depth) {
        if (ended_ || C() != '<') return false;
        in_.SaveState();
        Soft();
        if (ended_ || !IsNameStart(C())) {
            in_.RestoreState();
            ended_ = false;
            return false;
        }
        in_.FreeState();
        if (depth >= kMaxXmlNesting)
            throw Error("Elements nested deeper than " + std::to_string(kMaxXmlNesting) + " levels");
        TXMLNode& element = *parent.AddChild(std::make_unique<TXMLNode>(TXMLNodeType::Element, Name()));
        const size_t attributesFrom = attributes_.size();
        do {
            SkipWhite();
        } while (Attribute(attributes_));
        element.children.reserve(attributes_.size() - attributesFrom);  // one allocation for a row
        for (size_t i = attributesFrom; i < attributes_.size(); ++i) element.AddChild(std::move(attributes_[i]));
        attributes_.resize(attributesFrom);
        if (C() == '/' && !ended_) {
            Advance();
            if (C() != '>') throw Error("Tag not terminated properly");
            Advance();
            return true;
        }
        if (C() != '>' || ended_) throw Error("Tag not terminated properly");
        Advance();
        Content(element, depth);
        TrimWhite(element.value);
        if (!Match("</")) throw Error("No ending tag for " + element.name);
        const std::string endName = Name();
        if (endName != element.name)
            throw Error("End tag name \"" + endName + "\" does not match start tag name \"" + element.name + "\"");
        SkipWhite();
        if (ended_ || C() != '>') throw Error("End tag missing \">\"");
        Soft();
        return true;
    }

    bool Attribute(std::vector<std::unique_ptr<TXMLNode>>& attributes) {
        std::string name = Name();
        if (name.empty()) return false;
        SkipWhite();
        if (ended_ || C() != '=') throw Error("Equals sign missing in attribute");
        Advance();
        SkipWhite();
        const char quote = C();
        if (ended_ || (quote != '"' && quote != '\'')) throw Error("Attribute \"" + name + "\" missing value");
        auto attribute = std::make_unique<TXMLNode>(TXMLNodeType::Attribute, std::move(name));
        std::string& value = attribute->value;
        Advance();
        for (;;) {
            Run(
                value, [quote](char c) { return c == quote || c == '<' || c == '&'; }, false);
            if (C() == quote) break;
            if (C() == '<') throw Error("Invalid character \"<\" in attribute value");
            value += Reference();
        }
        Advance();
        attributes.push_back(std::move(attribute));
        return true;
    }

    void Content(TXMLNode& element, int depth) {
        while (!ended_) {
            if (CData(element) || ProcessingInstruction(element) || Comment() || Element(element, depth + 1) ||
                CharacterData(element))
                continue;
            if (C() != '&') break;
            element.value += Reference();
        }
    }

    bool CData(TXMLNode& element) {
        if (!Match("<![CDATA[")) return false;
        std::string text;
        for (;;) {
            text += C();
            Advance();  // the final ">" too: there must be an end tag after it
            if (EndsWith(text, "]]>", 3)) break;
        }
        text.resize(text.size() - 3);
        element.value += text;
        return true;
    }

    bool CharacterData(TXMLNode& element) {
        const size_t start = element.value.size();
        std::string& value = element.value;
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
        while (C() != ';') {
            text += C();
            Advance();
        }
        Advance();
        if (!text.empty() && text[0] == '#') {
            const auto code = TryIntegerText(text.substr(1));
            if (!code) throw Error("Invalid integer in reference &" + text + ";");
            return static_cast<char>(static_cast<uint32_t>(*code) & 0xFF);  // the low 8 bits
        }
        if (text == "amp") return '&';
        if (text == "lt") return '<';
        if (text == "gt") return '>';
        if (text == "quot") return '"';
        if (text == "apos") return '\'';
        throw Error("Unrecognized reference");
    }

    Reader& in_;
    std::vector<std::unique_ptr<TXMLNode>> attributes_;  // of the open start tags, innermost last
    bool ended_ = false;                                 // soft-advanced past the last character
};

// Node storage: chunks of nodes handed out in order, freed nodes kept on a list for reuse, one
// pool per thread (a node freed on another thread joins that thread's pool). Chunks are kept.
struct FreeNode {
    FreeNode* next;
};
constexpr size_t kNodesPerChunk = 1024;
// Under AddressSanitizer every node is a heap block of its own, so misuse of a node is caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitizedBuild = true;
#else
constexpr bool kSanitizedBuild = false;
#endif
#else
constexpr bool kSanitizedBuild = false;
#endif
thread_local FreeNode* freeNodes = nullptr;
thread_local char* chunkNext = nullptr;
thread_local char* chunkEnd = nullptr;

}  // namespace

void* TXMLNode::operator new(size_t size) {
    if (kSanitizedBuild || size != sizeof(TXMLNode)) return ::operator new(size);
    if (FreeNode* node = freeNodes) {
        freeNodes = node->next;
        return node;
    }
    if (chunkNext == chunkEnd) {
        chunkNext = static_cast<char*>(::operator new(kNodesPerChunk * sizeof(TXMLNode)));
        chunkEnd = chunkNext + kNodesPerChunk * sizeof(TXMLNode);
    }
    void* node = chunkNext;
    chunkNext += sizeof(TXMLNode);
    return node;
}

void TXMLNode::operator delete(void* node, size_t size) noexcept {
    if (!node) return;
    if (kSanitizedBuild || size != sizeof(TXMLNode)) return ::operator delete(node);
    freeNodes = new (node) FreeNode{freeNodes};
}

bool IsXmlName(const std::string& text) {
    return !text.empty() && IsXmlNameStart(text[0]) && std::all_of(text.begin(), text.end(), IsXmlNameChar);
}

TXMLNode::~TXMLNode() = default;

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

std::string TXMLNode::DisplayText() const {
    std::string text = name;
    switch (nodeType) {
        case TXMLNodeType::Document:
            return text + "File: " + FileName();
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
    if (!value.empty()) text += " = " + value;
    return text;
}

std::unique_ptr<TXMLNode> TXMLReader::Parse() { return Parser<TXMLReader>(*this).Document(); }

std::unique_ptr<TXMLNode> TXMLStringReader::Parse() {
    states_.clear();
    return Parser<TXMLStringReader>(*this).Document();
}

}  // namespace kestrova

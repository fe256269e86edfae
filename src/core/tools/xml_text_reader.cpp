#include "core/tools/xml_text_reader.h"

#include <algorithm>
#include <atomic>
#include <new>
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
    // The string reader hands the parser runs of characters at once.
    static constexpr bool kDirect = std::is_same_v<Reader, TXMLStringReader>;

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

    // A name when the current character starts one; the empty text otherwise.
    std::string Name() {
        std::string name;
        if (AtNameStart()) ReadName(name);
        return name;
    }
    bool AtNameStart() const { return !ended_ && IsNameStart(C()); }
    void ReadName(std::string& name) {
        Run(
            name, [](char c) { return !IsNameChar(c); }, false);
    }

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
        TXMLNode& element = *parent.AddChild(std::make_unique<TXMLNode>(TXMLNodeType::Element));
        ReadName(element.name);
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
        if (!AtNameStart()) return false;
        auto attribute = std::make_unique<TXMLNode>(TXMLNodeType::Attribute);
        ReadName(attribute->name);
        SkipWhite();
        if (ended_ || C() != '=') throw Error("Equals sign missing in attribute");
        Advance();
        SkipWhite();
        const char quote = C();
        if (ended_ || (quote != '"' && quote != '\''))
            throw Error("Attribute \"" + attribute->name + "\" missing value");
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
    std::vector<std::unique_ptr<TXMLNode>> attributes_;  // of the open start tags, innermost last
    bool ended_ = false;                                 // soft-advanced past the last character
};

// Node storage, one pool per thread: chunks of slots handed out in order, freed slots kept on a
// list for reuse. Each slot starts with the number of the pool that handed it out. Once every
// slot a pool handed out is back with it, its chunks are handed out from the start again, so
// the nodes of the next document lie in the order they are read rather than scattered. A node
// freed on another thread joins that thread's list; its own pool then never starts over (the
// slot stays out), and the other pool drops it when it starts over. Chunks are kept.
struct FreeNode {
    FreeNode* next;
};
constexpr size_t kSlotHeader = sizeof(uint64_t);  // the pool number; keeps the node 8-aligned
constexpr size_t kSlotSize = kSlotHeader + sizeof(TXMLNode);
constexpr size_t kSlotsPerChunk = 1024;
struct ChunkHeader {
    ChunkHeader* next;  // the chunk after this one, in the order they were made
    uint64_t padding;
};
static_assert(sizeof(ChunkHeader) % alignof(TXMLNode) == 0 && kSlotSize % alignof(TXMLNode) == 0);
constexpr size_t kChunkSize = sizeof(ChunkHeader) + kSlotsPerChunk * kSlotSize;

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
std::atomic<uint64_t> lastPoolNumber{0};

struct NodePool {
    uint64_t number = 0;   // 0 until the thread's first node
    size_t handedOut = 0;  // slots stamped with this pool's number and not yet back
    FreeNode* freeNodes = nullptr;
    ChunkHeader* firstChunk = nullptr;
    ChunkHeader* chunk = nullptr;  // the chunk handed out from, or none yet
    char* next = nullptr;          // next unused slot in it
    char* end = nullptr;

    char* TakeSlot() {
        if (FreeNode* node = freeNodes) {
            freeNodes = node->next;
            return reinterpret_cast<char*>(node) - kSlotHeader;
        }
        if (next == end) NextChunk();
        char* slot = next;
        next += kSlotSize;
        return slot;
    }
    void NextChunk() {
        ChunkHeader* following = chunk ? chunk->next : firstChunk;
        if (!following) {
            following = static_cast<ChunkHeader*>(::operator new(kChunkSize));
            following->next = nullptr;
            (chunk ? chunk->next : firstChunk) = following;
        }
        chunk = following;
        next = reinterpret_cast<char*>(chunk) + sizeof(ChunkHeader);
        end = reinterpret_cast<char*>(chunk) + kChunkSize;
    }
    // Every slot is back: the list (which may hold other pools' slots) is dropped.
    void StartOver() {
        freeNodes = nullptr;
        chunk = nullptr;
        next = end = nullptr;
    }
};
thread_local NodePool nodePool;

}  // namespace

void* TXMLNode::operator new(size_t size) {
    if (kSanitizedBuild || size != sizeof(TXMLNode)) return ::operator new(size);
    NodePool& pool = nodePool;
    if (pool.number == 0) pool.number = ++lastPoolNumber;
    char* slot = pool.TakeSlot();
    *reinterpret_cast<uint64_t*>(slot) = pool.number;
    ++pool.handedOut;
    return slot + kSlotHeader;
}

void TXMLNode::operator delete(void* node, size_t size) noexcept {
    if (!node) return;
    if (kSanitizedBuild || size != sizeof(TXMLNode)) return ::operator delete(node);
    NodePool& pool = nodePool;
    const uint64_t owner = *reinterpret_cast<const uint64_t*>(static_cast<char*>(node) - kSlotHeader);
    pool.freeNodes = new (node) FreeNode{pool.freeNodes};
    if (owner == pool.number && --pool.handedOut == 0) pool.StartOver();
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

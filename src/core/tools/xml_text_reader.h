#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

// A small recursive-descent reader that turns the bytes of an XML file into a tree of nodes:
// the document, its XML declaration, processing instructions, elements with their attributes
// and text. Every byte is one character; there is no DTD, namespace or encoding handling, but a
// UTF-8 byte-order mark at the start is skipped.
// The first error ends the parse with an Error whose message says what was wrong.

enum class TXMLNodeType : uint8_t {
    Document = 0,
    Element = 1,
    Attribute = 2,
    ProcessingInstruction = 3,
    XmlDeclaration = 4,
};

// Name start ":", "_", "A"-"Z", "a"-"z"; then also "0"-"9", "-", "." and 0xB7.
constexpr bool IsXmlNameStart(char c) {
    return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
constexpr bool IsXmlNameChar(char c) {
    return IsXmlNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == static_cast<char>(0xB7);
}
bool IsXmlName(const std::string& text);

// Elements nested deeper than this are refused rather than read (bounds the reader's stack).
inline constexpr int kMaxXmlNesting = 1000;

// The fields of a node as the window shows them: its name, a label by type ("File: " and the
// file name, "ProcessingInstruction", "XMLDeclaration"), then " = " and the value when there is
// one: "a = 5".
std::string XmlDisplayText(TXMLNodeType type, std::string_view name, std::string_view value, std::string_view fileName);

class TXMLNode final {
public:
    explicit TXMLNode(TXMLNodeType type, std::string name = {}) : name(std::move(name)), nodeType(type) {}

    TXMLNode* AddChild(std::unique_ptr<TXMLNode> child);
    size_t ChildCount() const { return children.size(); }
    TXMLNode& Child(size_t index) const { return *children.at(index); }
    // Takes the child out of the list without freeing it; nothing when it is not a child.
    std::unique_ptr<TXMLNode> RemoveChild(const TXMLNode* child);

    std::string DisplayText() const { return XmlDisplayText(nodeType, name, value, FileName()); }

    // The file name shown for the document node, set by the caller. The document has no value
    // of its own, so its file name is kept there.
    const std::string& FileName() const { return value; }
    void SetFileName(std::string fileName) { value = std::move(fileName); }

    std::string value;                                // attribute value, element text, or processing-instruction text
    std::string name;                                 // empty for the document and the XML declaration
    std::vector<std::unique_ptr<TXMLNode>> children;  // attributes first, then the rest in order
    TXMLNodeType nodeType;
};

// The nodes of a parsed document in one table, in document order: every node is followed by
// its subtree (attributes first, then child elements and processing instructions), so a node
// needs no list of children. The names and values are kept in one store of bytes, exactly as
// read. A node costs 12 bytes and its texts, so a file of millions of empty elements takes a
// few times its size (a tree of TXMLNode takes some 30 times).
class TXMLNodeTable {
public:
    using Index = uint32_t;
    static constexpr Index kDocument = 0;
    // The table's own bounds: nodes are numbered with 29 bits and texts stored at 32-bit offsets.
    static constexpr Index kMaxNodes = (Index{1} << 29) - 1;
    static constexpr size_t kMaxTextBytes = 0xFFFFFFF0u;

    TXMLNodeTable();
    // Room for the texts of a document of that many bytes, which they never exceed; pages are
    // only taken as they are written.
    void ReserveTexts(size_t documentBytes);

    Index Size() const { return size_; }
    TXMLNodeType Type(Index node) const { return static_cast<TXMLNodeType>(At(node).endAndType & 7u); }
    std::string_view Name(Index node) const { return Text(At(node).name); }
    std::string_view Value(Index node) const { return Text(At(node).value); }
    // Past the node's subtree: its first child is node + 1 when that is below End(node), and the
    // next sibling of a child is End(child).
    Index End(Index node) const { return At(node).endAndType >> 3; }
    size_t ChildCount(Index node) const;
    std::string DisplayText(Index node) const { return XmlDisplayText(Type(node), Name(node), Value(node), fileName); }

    // The XML declaration's "encoding" value; empty when there is none.
    std::string_view DeclaredEncoding() const;

    // Building, in document order: a node is opened (its subtree follows) and closed.
    Index Open(TXMLNodeType type, std::string_view name);
    void SetValue(Index node, std::string_view value) { At(node).value = Store(value); }
    void Close(Index node) { At(node).endAndType = (size_ << 3) | (At(node).endAndType & 7u); }

    std::string fileName;  // shown for the document node, set by the caller

private:
    struct Record {            // left uninitialised in a new chunk: pages are taken only when written
        uint32_t name, value;  // offsets of the texts, 0 for an empty text
        uint32_t endAndType;   // End() above the three bits of the type
    };
    static constexpr unsigned kChunkBits = 14;
    const Record& At(Index node) const { return chunks_[node >> kChunkBits][node & ((1u << kChunkBits) - 1)]; }
    Record& At(Index node) { return chunks_[node >> kChunkBits][node & ((1u << kChunkBits) - 1)]; }
    uint32_t Store(std::string_view text);
    std::string_view Text(uint32_t offset) const;

    std::vector<std::unique_ptr<Record[]>> chunks_;
    Index size_ = 0;
    std::string texts_;  // each text as its length (7 bits a byte, low first) and its bytes
};

// The tree of TXMLNode a table describes.
std::unique_ptr<TXMLNode> TXMLNodeTree(const TXMLNodeTable& table);

// The character source of the reader: the current character (0 once the data is exhausted)
// and a stack of saved positions.
class TXMLReader {
public:
    virtual ~TXMLReader() = default;

    char Current() const { return current_; }

    virtual bool AtEnd() const = 0;   // no character follows the current one
    virtual void FreeState() = 0;     // drops the last saved state
    virtual void NextChar() = 0;      // the next character becomes current; 0 at the end
    virtual void RestoreState() = 0;  // returns to the last saved state and drops it
    virtual void SaveState() = 0;

    // Reads the whole input into a document node owned by the caller; throws Error.
    std::unique_ptr<TXMLNode> Parse() { return TXMLNodeTree(ParseTable()); }
    // The same document as a table of nodes (what the window and the listing read).
    virtual TXMLNodeTable ParseTable();

protected:
    char current_ = 0;
};

struct TXMLStringReaderState {
    size_t position;  // 1-based position of the next character to read
    char current;
};

class TXMLStringReader final : public TXMLReader {
public:
    explicit TXMLStringReader(std::string text) : text_(std::move(text)) {}

    bool AtEnd() const override { return position_ > text_.size(); }
    void FreeState() override { states_.pop_back(); }
    void NextChar() override {
        if (position_ <= text_.size()) {
            current_ = text_[position_ - 1];
            ++position_;
        } else {
            current_ = 0;
        }
    }
    void RestoreState() override {
        position_ = states_.back().position;
        current_ = states_.back().current;
        states_.pop_back();
    }
    void SaveState() override { states_.push_back({position_, current_}); }

    TXMLNodeTable ParseTable() override;

    // For the parser, which takes runs of characters at once: the current character and those
    // after it (once the first character has been read); moving `count` characters on within
    // them; past the last character.
    std::string_view Remaining() const { return std::string_view(text_).substr(position_ - 2); }
    void Skip(size_t count) {
        position_ += count;
        current_ = text_[position_ - 2];
    }
    void SkipToEnd() {
        position_ = text_.size() + 1;
        current_ = 0;
    }

private:
    std::string text_;
    size_t position_ = 1;
    std::vector<TXMLStringReaderState> states_;
};

}  // namespace kestrova

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

// A small recursive-descent reader that turns the bytes of an XML file into a tree of nodes:
// the document, its XML declaration, processing instructions, elements with their attributes
// and text. Every byte is one character; there is no DTD, namespace or encoding handling.
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

class TXMLNode final {
public:
    explicit TXMLNode(TXMLNodeType type, std::string name = {}) : name(std::move(name)), nodeType(type) {}
    ~TXMLNode();

    // Nodes come from a pool of their own: a large document has a million of them.
    static void* operator new(size_t size);
    static void operator delete(void* node, size_t size) noexcept;

    TXMLNode* AddChild(std::unique_ptr<TXMLNode> child);
    size_t ChildCount() const { return children.size(); }
    TXMLNode& Child(size_t index) const { return *children.at(index); }
    // Takes the child out of the list without freeing it; nothing when it is not a child.
    std::unique_ptr<TXMLNode> RemoveChild(const TXMLNode* child);

    // Name, a label by type ("File: " and the file name, "ProcessingInstruction",
    // "XMLDeclaration"), then " = " and the value when there is one: "a = 5".
    std::string DisplayText() const;

    // The file name shown for the document node, set by the caller. The document has no value
    // of its own, so its file name is kept there (a million nodes are smaller for it).
    const std::string& FileName() const { return value; }
    void SetFileName(std::string fileName) { value = std::move(fileName); }

    std::string value;                                // attribute value, element text, or processing-instruction text
    std::string name;                                 // empty for the document and the XML declaration
    std::vector<std::unique_ptr<TXMLNode>> children;  // attributes first, then the rest in order
    TXMLNodeType nodeType;
};

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
    virtual std::unique_ptr<TXMLNode> Parse();

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

    std::unique_ptr<TXMLNode> Parse() override;

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

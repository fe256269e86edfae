#include "core/tools/xml_text_reader.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <random>
#include <tuple>

#include "support/error_text.h"

namespace kestrova {
namespace {

using testing::ErrorText;

// Another character source, so that the reader's rules are also run through the five virtual
// operations alone.
class VectorReader : public TXMLReader {
public:
    explicit VectorReader(const std::string& text) : text_(text.begin(), text.end()) {}
    bool AtEnd() const override { return next_ >= text_.size(); }
    void FreeState() override { saved_.pop_back(); }
    void NextChar() override { current_ = next_ < text_.size() ? text_[next_++] : 0; }
    void RestoreState() override {
        std::tie(next_, current_) = saved_.back();
        saved_.pop_back();
    }
    void SaveState() override { saved_.emplace_back(next_, current_); }

private:
    std::vector<char> text_;
    size_t next_ = 0;
    std::vector<std::pair<size_t, char>> saved_;
};

std::unique_ptr<TXMLNode> Parse(const std::string& text) { return TXMLStringReader(text).Parse(); }
std::string Failure(const std::string& text) {
    const std::string viaVirtuals = ErrorText([&] { VectorReader(text).Parse(); });
    const std::string message = ErrorText([&] { Parse(text); });
    EXPECT_EQ(viaVirtuals, message) << text;
    return message;
}

// The node tree as one line: "name=value[children]" with the type as a prefix letter.
std::string Shape(const TXMLNode& node) {
    std::string out = std::string(1, "DEAPX"[static_cast<int>(node.nodeType)]) + node.name;
    if (!node.value.empty()) out += "=" + node.value;
    if (node.ChildCount() == 0) return out;
    out += "[";
    for (size_t i = 0; i < node.ChildCount(); ++i) out += (i ? " " : "") + Shape(node.Child(i));
    return out + "]";
}

TEST(XmlTextReader, EveryFailureHasItsMessage) {
    const struct {
        const char* input;
        const char* message;
    } cases[] = {
        {"", "Unexpected end of data"},
        {"<a>", "Unexpected end of data"},   // the last ">" of the root's start tag
        {"<a/>", "Unexpected end of data"},  // and of an empty root
        {"<!-- only -->\n", "Missing element"},
        {"<?xml version=\"1.0\" <a/>\n", "XML declaration not terminated with \"?>\""},
        {"<?xml-stylesheet href=\"s\"?><a/>\n", "XML declaration not terminated with \"?>\""},
        {"<!DOCTYPE a><a/>\n", "DocTypeDecl parsing not yet implemented"},
        {"<!-- x ---><a/>\n", "Comments cannot end in \"--->\""},
        {"<? x?><a/>\n", "Processing instruction does not contain valid name"},
        {"<a/>\n<?xml x?>", "Processing instruction cannot have the reserved name \"xml\""},
        {"<a></a>\n<?pi never closed", "Unterminated processing instruction"},
        {"<a x=\"1\" %></a>\n", "Tag not terminated properly"},
        {"<a></b>\n", "End tag name \"b\" does not match start tag name \"a\""},
        {"<a></a x\n", "End tag missing \">\""},
        {"<a>text\n", "No ending tag for a"},
        {"<a x></a>\n", "Equals sign missing in attribute"},
        {"<a id=1></a>\n", "Attribute \"id\" missing value"},
        {"<a x=\"<\"></a>\n", "Invalid character \"<\" in attribute value"},
        {"<a>x]]>y</a>\n", "Character data cannot contain \"]]>\""},
        {"<a>&#zz;</a>\n", "Invalid integer in reference &#zz;"},
        {"<a>&nbsp;</a>\n", "Unrecognized reference"},
        {"<a>&amp</a>\n", "Unexpected end of data"},
        {"<a><![CDATA[x]]>", "Unexpected end of data"},         // characters of a section are advanced over
        {"\xEF\xBB\xBF", "Missing element"},                    // a byte-order mark alone
        {"\xEF\xBB<a/>\n", "Missing element"},                  // not a whole one
        {"\xEF\xBB\xBF\xEF\xBB\xBF<a/>\n", "Missing element"},  // only one is skipped
    };
    for (const auto& c : cases) EXPECT_EQ(Failure(c.input), c.message) << c.input;
}

TEST(XmlTextReader, TreeShapes) {
    const struct {
        const char* input;
        const char* shape;
    } cases[] = {
        {"<a/>\n", "D[Ea]"},
        {"<a x=\"1\">t<b/>u</a>\n", "D[Ea=tu[Ax=1 Eb]]"},
        {"<a>\t 1 <!-- c --> 2\r\n</a>\n", "D[Ea=1  2]"},
        {"<a x='a&amp;b' y=\"it's\">1 &lt; 2</a>\n", "D[Ea=1 < 2[Ax=a&b Ay=it's]]"},
        {"<a>&#65;&#x42;&#$43;&#0x44;&#321;&quot;&apos;&gt;</a>", "D[Ea=ABCDA\"'>]"},
        {"<a><![CDATA[<x> & ]]]></a>\n", "D[Ea=<x> & ]]"},
        {"<a/>\n<b/>garbage <", "D[Ea]"},  // after the root only comments and instructions count
        {"<?xml version=\"1.0\" encoding='UTF-8'?><!--c--><?pi  data ?><a><?in x?></a><!--e--><?post?>",
         "D[X[Aversion=1.0 Aencoding=UTF-8] Ppi=data  Ea[Pin=x] Ppost]"},
        {"<a:b-c.d_1 e = \"\" >\xB7</a:b-c.d_1>", "D[Ea:b-c.d_1=\xB7[Ae]]"},
        {"<a><!----></a>", "D[Ea]"},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<a/>\n", "D[X[Aversion=1.0] Ea]"},  // a UTF-8 byte-order mark
        {"\xEF\xBB\xBF<a>\xEF\xBB\xBF</a>", "D[Ea=\xEF\xBB\xBF]"},                 // inside: bytes like any other
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Shape(*Parse(c.input)), c.shape) << c.input;
        EXPECT_EQ(Shape(*VectorReader(c.input).Parse()), c.shape) << c.input;
    }
}

TEST(XmlTextReader, DisplayTexts) {
    auto document = Parse("<?xml v=\"1\"?><?style t?><a id=\"x\">5<b/></a>");
    document->SetFileName("pargen.xml");
    const TXMLNode& a = document->Child(2);
    EXPECT_EQ(document->DisplayText(), "File: pargen.xml");
    EXPECT_EQ(document->Child(0).DisplayText(), "XMLDeclaration");
    EXPECT_EQ(document->Child(1).DisplayText(), "styleProcessingInstruction = t");
    EXPECT_EQ(a.DisplayText(), "a = 5");
    EXPECT_EQ(a.Child(0).DisplayText(), "id = x");
    EXPECT_EQ(a.Child(1).DisplayText(), "b");
}

// The table keeps every text as read, however long; the node tree is built from it.
TEST(XmlTextReader, TablesKeepTextsOfAnyLength) {
    for (const size_t length : {size_t{1}, size_t{127}, size_t{128}, size_t{16383}, size_t{16384}, size_t{300000}}) {
        const std::string name = "n" + std::string(length, 'x');
        const std::string value(length, '\xE4');
        const auto table =
            TXMLStringReader("<" + name + " v=\"" + value + "\">" + value + "</" + name + ">\n").ParseTable();
        ASSERT_EQ(table.Size(), 3u);
        EXPECT_EQ(table.Name(1), name);
        EXPECT_EQ(table.Value(1), value);
        EXPECT_EQ(table.Name(2), "v");
        EXPECT_EQ(table.Value(2), value);
        EXPECT_EQ(table.End(0), 3u);
        EXPECT_EQ(table.ChildCount(1), 1u);
    }
}

TEST(XmlTextReader, DeepNestingIsRefusedNotOverflowed) {
    auto nested = [](int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += "<e>";
        for (int i = 0; i < depth; ++i) text += "</e>";
        return text;
    };
    EXPECT_NO_THROW(Parse(nested(kMaxXmlNesting)));
    EXPECT_EQ(Failure(nested(kMaxXmlNesting + 1)), "Elements nested deeper than 1000 levels");
    std::string unclosed;
    for (int i = 0; i < 20000; ++i) unclosed += "<e>";
    EXPECT_EQ(Failure(unclosed), "Elements nested deeper than 1000 levels");
}

// Random well-formed documents: the reader's elements equal pugixml's.
class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    std::string Document() {
        std::string out = Pick(2) ? "<?xml version=\"1.0\"?>" : "";
        out += Misc() + Element(0) + Misc() + "\n";
        return out;
    }

private:
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
    std::string From(const char* set) { return std::string(1, set[Pick(std::char_traits<char>::length(set))]); }
    std::string Name() {
        std::string name = From("abcXYZ_:");
        for (size_t i = Pick(4); i > 0; --i) name += From("ab09.-_");
        return name;
    }
    std::string Reference() {
        static const char* references[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&#65;", "&#x7A;", "&#32;"};
        return references[Pick(8)];
    }
    std::string Text(const char* characters) {
        std::string text;
        for (size_t i = Pick(6); i > 0; --i) text += Pick(4) ? From(characters) : Reference();
        return text;
    }
    std::string Misc() {
        switch (Pick(4)) {
            case 0:
                return "<!--" + Text("ab <>") + "-->";
            case 1:
                return "<?p" + Name() + " " + Text("ab>") + "?>";
            case 2:
                return " \n\t";
            default:
                return "";
        }
    }
    std::string Element(int depth) {
        const std::string name = Name();
        std::string out = "<" + name;
        for (size_t i = Pick(4); i > 0; --i) {
            const char quote = Pick(2) ? '"' : '\'';
            out += " n" + std::to_string(i) + "=" + quote + Text(quote == '"' ? "a '>" : "b \">") + quote;
        }
        if (Pick(4) == 0) return out + "/>";
        out += ">";
        for (size_t i = Pick(depth < 3 ? 6 : 3); i > 0; --i) {
            switch (Pick(5)) {
                case 0:
                    out += Text(" \t\nxy>");
                    break;
                case 1:
                    out += "<![CDATA[" + Text("<&]x ") + "]]>";
                    break;
                case 2:
                    out += Misc();
                    break;
                default:
                    out += depth < 3 ? Element(depth + 1) : Text("z ");
            }
        }
        return out + "</" + name + ">";
    }

    std::mt19937 random_;
};

std::string Trim(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t\r\n");
    return begin == std::string::npos ? "" : text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

std::string PugiShape(const pugi::xml_node& element) {
    std::string out = std::string("E") + element.name(), text;
    for (const auto& child : element.children())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) text += child.value();
    if (!Trim(text).empty()) out += "=" + Trim(text);
    std::string children;
    for (const auto& attribute : element.attributes())
        children += std::string(children.empty() ? "" : " ") + "A" + attribute.name() +
                    (*attribute.value() ? std::string("=") + attribute.value() : "");
    for (const auto& child : element.children(/*elements*/))
        if (child.type() == pugi::node_element) children += (children.empty() ? "" : " ") + PugiShape(child);
    return children.empty() ? out : out + "[" + children + "]";
}

std::string ElementsOnly(const TXMLNode& node) {
    std::string out = "E" + node.name;
    if (!node.value.empty()) out += "=" + node.value;
    std::string children;
    for (size_t i = 0; i < node.ChildCount(); ++i) {
        const TXMLNode& child = node.Child(i);
        if (child.nodeType == TXMLNodeType::Attribute)
            children += (children.empty() ? "" : " ") + Shape(child);
        else if (child.nodeType == TXMLNodeType::Element)
            children += (children.empty() ? "" : " ") + ElementsOnly(child);
    }
    return children.empty() ? out : out + "[" + children + "]";
}

TEST(XmlTextReader, AgreesWithPugixmlOnGeneratedDocuments) {
    for (unsigned seed = 1; seed <= 400; ++seed) {
        const std::string text = Generator(seed).Document();
        pugi::xml_document expected;
        ASSERT_TRUE(expected.load_string(text.c_str(), pugi::parse_cdata | pugi::parse_escapes | pugi::parse_ws_pcdata))
            << text;
        const auto document = Parse(text);
        const TXMLNode* root = nullptr;
        for (size_t i = 0; i < document->ChildCount(); ++i)
            if (document->Child(i).nodeType == TXMLNodeType::Element) root = &document->Child(i);
        ASSERT_NE(root, nullptr) << text;
        EXPECT_EQ(ElementsOnly(*root), PugiShape(expected.document_element())) << text;
    }
}

}  // namespace
}  // namespace kestrova

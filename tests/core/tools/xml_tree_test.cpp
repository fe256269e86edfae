#include "core/tools/xml_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/project/text_encoding.h"
#include "core/project/xml_document.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::ErrorText;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

TXMLNodeTable TableOf(const std::string& text, const std::string& fileName = "doc.xml") {
    auto table = TXMLStringReader(text).ParseTable();
    table.fileName = fileName;
    return table;
}
XmlTreeItem TreeOf(const std::string& text, const std::string& fileName = "doc.xml") {
    return XmlTreeItems(TableOf(text, fileName));
}
XmlTreeItem ReadXmlTree(const std::string& path) { return XmlTreeItems(ReadXmlNodeTable(path)); }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

const std::string kFixtures = std::string(KESTROVA_TEST_DATA) + "/tools/";

TEST(XmlTree, ProjectDocumentsComeBackAsTheDocumentLayerWritesThem) {
    TempDir dir;
    WriteValueRecord(dir / "pargen.xml", "Par_Gen", {{"Can_Baud", "5"}, {"Profi_ID", "3 x"}, {"Empty", ""}});
    WriteRowList(dir / "Receive_Frame.xml", "Receive_Frames",
                 {{{"PGN", "65226"}, {"Name", "a & <b> \"c\""}, {"SA", ""}}, {{"PGN", "0x1"}, {"Name", "x=y"}}});
    WriteValueList(dir / "TimerDef.xml", "Timers", "Timer", {"100", "200"});
    for (const char* name : {"pargen.xml", "Receive_Frame.xml", "TimerDef.xml"}) {
        const XmlTreeItem tree = ReadXmlTree(dir / name);
        EXPECT_EQ(tree.text, std::string("File: ") + name);
        EXPECT_EQ(XmlTreeText(tree), ReadText(dir / name)) << name;
    }
}

TEST(XmlTree, EditedTextsAreSplitAtTheFirstEquals) {
    XmlTreeItem tree = TreeOf("<Par_Gen><Can_Baud>5</Can_Baud><row PGN=\"1\" SA=\"2\"/></Par_Gen>\n");
    XmlTreeItem& root = tree.children[0];
    EXPECT_EQ(root.children[0].text, "Can_Baud = 5");
    root.children[0].text = "  Can_Baud =  7 = 8 ";
    root.children[1].text = "line";
    root.children[1].children[1].text = "SA";  // an attribute without "=" is empty
    EXPECT_EQ(XmlTreeText(tree), "<Par_Gen><Can_Baud>7 = 8</Can_Baud><line PGN=\"1\" SA=\"\"/></Par_Gen>");
    root.children[0].text = "Can_Baud";
    EXPECT_EQ(XmlTreeText(tree), "<Par_Gen><Can_Baud/><line PGN=\"1\" SA=\"\"/></Par_Gen>");
}

TEST(XmlTree, OtherShapesAreWrittenWholeAndReadBackTheSame) {
    const std::string text =
        "<?xml version=\"1.0\"?><?style t=\"1\"?><a id=\"r&#0;\">x&#1;<b k=\"v\"><c>deep</c><?in "
        "data?></b></a><?post?>";
    const XmlTreeItem tree = TreeOf(text + "\n");
    EXPECT_EQ(XmlTreeText(tree), text);
    EXPECT_EQ(XmlTreeListing(TableOf(XmlTreeText(tree) + "\n")), XmlTreeListing(TableOf(text + "\n")));
}

TEST(XmlTree, TreesThatWouldNotBeWellFormedAreRefused) {
    const struct {
        int child;  // under the root element, -1 for the root itself
        const char* text;
        const char* message;
    } cases[] = {
        {-1, "", "\"\" is not a valid element name"},
        {2, "a b = 1", "\"a b\" is not a valid element name"},
        {1, "1x = 2", "\"1x\" is not a valid attribute name"},
        {1, "id = 2", "The attribute \"id\" appears twice in \"a\""},
        {3, "inProcessingInstruction = x?>", "The processing instruction \"in\" cannot hold \"?>\""},
    };
    for (const auto& c : cases) {
        XmlTreeItem tree = TreeOf("<a id=\"1\" n=\"2\"><b/><?in x?></a>\n");
        XmlTreeItem& root = tree.children[0];
        (c.child < 0 ? root : root.children[static_cast<size_t>(c.child)]).text = c.text;
        EXPECT_EQ(ErrorText([&] { XmlTreeText(tree); }), c.message) << c.text;
    }
}

TEST(XmlTree, WriteGoesIntoTheProjectUnderTheDocumentItemsName) {
    TempDir dir;
    std::filesystem::create_directories(dir / "other");
    std::filesystem::create_directories(dir / "project");
    WriteText(dir / "other/pargen.xml", "<Par_Gen><Can_Baud>5</Can_Baud></Par_Gen>\n");
    XmlTreeItem tree = ReadXmlTree(dir / "other/pargen.xml");
    ProjectContext context;
    EXPECT_EQ(ErrorText([&] { WriteXmlTree(context, tree); }), "Project not valid");
    context.projectDirectory = dir / "project";
    EXPECT_EQ(WriteXmlTree(context, tree), dir / "project/pargen.xml");
    EXPECT_EQ(ReadText(dir / "project/pargen.xml"), "<Par_Gen><Can_Baud>5</Can_Baud></Par_Gen>");

    for (const char* text : {"File: ../escape.xml", "File:  ", "File: a/b.xml", ".."}) {
        tree.text = text;
        EXPECT_NE(ErrorText([&] { WriteXmlTree(context, tree); }).find("is not a valid file name"), std::string::npos);
    }
    tree.text = "renamed.xml";
    EXPECT_EQ(XmlTreeFileName(tree), "renamed.xml");
}

// Files written by xmllint in ISO-8859-1 and by Python with a byte-order mark list as their
// UTF-8 source does, but for the declared encoding and the file name.
TEST(XmlTree, FilesFromOtherToolsAreListedInUtf8) {
    const std::string source = XmlTreeListing(ReadXmlNodeTable(kFixtures + "device_description.xml"));
    for (const char* name : {"device_description.latin1.xml", "device_description.bom.xml"}) {
        const TXMLNodeTable table = ReadXmlNodeTable(kFixtures + name);
        std::string listing = XmlTreeListing(table);
        EXPECT_EQ(FirstInvalidUtf8(listing), std::string::npos) << name;
        EXPECT_EQ(Lines(listing).size(), table.Size()) << name;  // one item a line
        listing.replace(0, listing.find('\n'), "File: device_description.xml");
        const size_t encoding = listing.find("encoding = iso-8859-1");
        if (encoding != std::string::npos) listing.replace(encoding, 21, "encoding = UTF-8");
        EXPECT_EQ(listing, source) << name;
    }
    const auto lines = Lines(source);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "        Name = Müller Gerätebau"), lines.end());
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "      Text = first line\\nsecond\\ttabbed line \\\\ with backslash"),
        lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "        Value = a\\nb\\tc"), lines.end());
}

TEST(XmlTree, ListedTextsStayOnTheirLine) {
    const struct {
        const char* input;
        const char* line;  // the root element's
    } cases[] = {
        {"<a>x\ny</a>\n", "  a = x\\ny"},
        {"<a>1\t2\r\n3</a>\n", "  a = 1\\t2\\r\\n3"},
        {"<a>C:\\dir\\n</a>\n", "  a = C:\\\\dir\\\\n"},  // a backslash and "n" is not a line break
        {"<a b=\"&#10;&#92;\"/>\n", "  a"},
    };
    for (const auto& c : cases) {
        const auto lines = Lines(XmlTreeListing(TableOf(c.input)));
        ASSERT_GE(lines.size(), 2u) << c.input;
        EXPECT_EQ(lines[1], c.line) << c.input;
    }
    EXPECT_EQ(Lines(XmlTreeListing(TableOf("<a b=\"&#10;&#92;\"/>\n")))[2], "    b = \\n\\\\");
}

// The window's items are UTF-8; written back, a document that declares a single-byte code holds
// the bytes read.
TEST(XmlTree, WriteGivesBackTheBytesRead) {
    const TXMLNodeTable read = ReadXmlNodeTable(kFixtures + "device_description.latin1.xml");
    XmlTreeItem tree = XmlTreeItems(read);
    const TXMLNodeTable written = TableOf(XmlTreeText(tree) + "\n");
    ASSERT_EQ(written.Size(), read.Size());
    for (TXMLNodeTable::Index node = 1; node < read.Size(); ++node) {
        EXPECT_EQ(written.Name(node), read.Name(node));
        EXPECT_EQ(written.Value(node), read.Value(node));
    }
    EXPECT_NE(XmlTreeText(tree).find("M\xFCller"), std::string::npos);

    tree.children[1].children[1].children[1].children[0].text = "Name = 5 \xE2\x82\xAC";  // a euro sign
    EXPECT_EQ(ErrorText([&] { XmlTreeText(tree); }),
              "The tree holds a character that the encoding it declares (iso-8859-1) cannot hold");
    tree.children[0].children[1].text = "encoding = windows-1252";
    EXPECT_NE(XmlTreeText(tree).find("Name=\"5 \x80\""), std::string::npos);
}

// The window shows a file of a few nodes a kilobyte; a file of millions of empty elements is
// refused before it takes more than ten times its size.
TEST(XmlTree, TheWindowRefusesTreesItCannotHold) {
    TempDir dir;
    std::string text = "<r>";
    for (int i = 0; i < 300000; ++i) text += "<a/>";
    WriteText(dir / "empty.xml", text + "</r>\n");
    const std::string message = ErrorText([&] { ReadXmlWindowTable(dir / "empty.xml"); });
    EXPECT_EQ(message, "The file empty.xml holds 300002 nodes, more than the window shows for a file of its size (" +
                           std::to_string(MaxXmlWindowItems(static_cast<long long>(text.size()) + 6)) +
                           "); kestrova-cli xml-tree lists them all.");
    EXPECT_EQ(ReadXmlWindowTable(kFixtures + "device_description.latin1.xml").Size(),
              ReadXmlNodeTable(kFixtures + "device_description.latin1.xml").Size());
    EXPECT_GE(MaxXmlWindowItems(0), 100000u);  // any project document is shown
}

}  // namespace
}  // namespace kestrova

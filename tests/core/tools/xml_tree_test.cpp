#include "core/tools/xml_tree.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/project/xml_document.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::ErrorText;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

XmlTreeItem TreeOf(const std::string& text, const std::string& fileName = "doc.xml") {
    auto document = TXMLStringReader(text).Parse();
    document->SetFileName(fileName);
    return XmlTreeItems(*document);
}

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
    EXPECT_EQ(XmlTreeListing(TreeOf(XmlTreeText(tree) + "\n")), XmlTreeListing(tree));
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

}  // namespace
}  // namespace kestrova

#include "core/project/xml_document.h"

#include "core/project/error.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrova {
namespace {

using namespace std::string_literals;
using testing::ErrorText;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

TEST(RowListDocument, WritesNoDeclarationNoLineBreaksAttributesInOrder) {
    TempDir dir;
    const auto path = dir / "Receive_Frame.xml";
    WriteRowList(path, "Receive_Frames",
                 {{{"PGN", "65262"}, {"SA", ""}, {"TP", "Y"}}, {{"PGN", "a<b&\"c\""}, {"SA", "1"}, {"TP", "N"}}});
    EXPECT_EQ(ReadText(path),
              "<Receive_Frames><row PGN=\"65262\" SA=\"\" TP=\"Y\"/>"
              "<row PGN=\"a&lt;b&amp;&quot;c&quot;\" SA=\"1\" TP=\"N\"/></Receive_Frames>");
}

TEST(RowListDocument, ReadsBackWhatWasWrittenUtf8Included) {
    TempDir dir;
    const auto path = dir / "list.xml";
    WriteRowList(path, "Root", {{{"Name", "Drehzahl \xC3\xBC"}, {"Mnem", "<&>"}}});
    const auto list = ReadRowList(path);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->rows.size(), 1u);
    EXPECT_EQ(list->rows[0].Required("Name"), "Drehzahl \xC3\xBC");
    EXPECT_EQ(list->rows[0].Required("Mnem"), "<&>");
}

TEST(RowListDocument, MissingFileIsNoDocument) {
    TempDir dir;
    EXPECT_FALSE(ReadRowList(dir / "absent.xml"));
    EXPECT_FALSE(ReadValueRecord(dir / "absent.xml"));
    EXPECT_FALSE(ReadValueList(dir / "absent.xml"));
}

TEST(RowListDocument, AbsentOptionalAttributeGivesItsDefaultAbsentRequiredOneStopsTheRead) {
    TempDir dir;
    const auto path = dir / "list.xml";
    WriteText(path, "<Receive_Frames><row PGN=\"1\"/><row TP=\"Y\"/></Receive_Frames>");
    const auto list = ReadRowList(path);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->rows[0].Guarded("TP", "N"), "N");
    EXPECT_EQ(list->rows[0].Guarded("Mnem"), "");
    EXPECT_EQ(list->rows[0].Required("PGN"), "1");
    EXPECT_EQ(ErrorText([&] { list->rows[1].Required("PGN"); }),
              "The attribute 'PGN' is missing in row 2 of " + path + ".");
}

TEST(RowListDocument, RootOfAnyNameAndLeadingDeclarationOrCommentAreRead) {
    TempDir dir;
    const auto path = dir / "list.xml";
    WriteText(path, "<?xml version=\"1.0\"?>\n<!-- made by hand -->\n  <Other>\n <row A=\"1\"/>\n <row A=\"2\"/></Other>");
    const auto list = ReadRowList(path);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->rootName, "Other");
    ASSERT_EQ(list->rows.size(), 2u);
    EXPECT_EQ(list->rows[1].Required("A"), "2");
}

TEST(RowListDocument, BrokenFileIsReportedWithTheParsersReasonAndPosition) {
    TempDir dir;
    const auto path = dir / "list.xml";
    WriteText(path, "<Root>\n<row A=\"1\">\n</Root>");
    const std::string text = ErrorText([&] { ReadRowList(path); });
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_NE(text.find("line 3"), std::string::npos) << text;
    WriteText(path, "");
    EXPECT_THROW(ReadRowList(path), Error);
}

TEST(RowListDocument, SecondRootTextBesideTheRootRepeatedAttributesAndStrayBytesAreNotValidXml) {
    TempDir dir;
    const auto path = dir / "Receive_Frame.xml";
    const std::pair<std::string, std::string> cases[] = {
        {"<A><row X=\"1\"/></A>\n<B><row X=\"2\"/></B>", "a second root element (line 2, column 1)"},
        {"<A><row X=\"1\"/></A>\n\n  tail", "text after the root element (line 3, column 3)"},
        {"<A>\n<row X=\"1\" Y=\"2\" X=\"3\"/></A>", "the attribute 'X' appears twice (line 2, column 1)"},
        {"<A>\n<row T=\"\xB0\"/></A>", "a byte that is not UTF-8 (line 2, column 9)"},
        // a NUL byte would end the document for the parser and hide the rows after it
        {"<A><row X=\"1\"/></A>\0<row X=\"2\"/>"s, "a NUL byte at byte offset 19 (line 1, column 20)"},
        {"<A>\n<row X=\"1\0\"/><row X=\"2\"/></A>"s, "a NUL byte at byte offset 13 (line 2, column 10)"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><A>\xB0\0</A>"s,
         "a NUL byte at byte offset 47 (line 1, column 48)"},
    };
    for (const auto& [content, reason] : cases) {
        WriteText(path, content);
        EXPECT_EQ(ErrorText([&] { ReadRowList(path); }), "The file " + path + " is not valid XML: " + reason + ".");
    }
    WriteText(path, "<A><row X=\"1\"/></A>\n \t\n<!-- end -->\n");
    EXPECT_EQ(ReadRowList(path)->rows.size(), 1u);
}

TEST(RowListDocument, DeclaredEncodingIsHonouredAndWritingIsUtf8) {
    TempDir dir;
    const auto path = dir / "list.xml";
    const std::string cases[][3] = {{"ISO-8859-1", "\xB0\xE4", "\xC2\xB0\xC3\xA4"},
                                    {"windows-1252", "\x80\x9F\xB0", "\xE2\x82\xAC\xC5\xB8\xC2\xB0"},
                                    {"UTF-8", "\xC2\xB0", "\xC2\xB0"}};
    for (const auto& [encoding, bytes, expected] : cases) {
        WriteText(path, "<?xml version=\"1.0\" encoding='" + encoding + "'?><R><row T=\"" + bytes + "\"/></R>");
        const auto list = ReadRowList(path);
        ASSERT_TRUE(list) << encoding;
        WriteRowList(path, list->rootName, {list->rows[0].Attributes()});
        EXPECT_EQ(ReadText(path), "<R><row T=\"" + expected + "\"/></R>") << encoding;
    }
    WriteText(path, "<?xml version=\"1.0\" encoding=\"UTF-16\"?><R/>");
    EXPECT_NE(ErrorText([&] { ReadRowList(path); }).find("'UTF-16', which cannot be read"), std::string::npos);
}

TEST(RowListDocument, PipesAndOversizeFilesAreRefusedNotRead) {
    TempDir dir;
    const auto pipe = dir / "Receive_Frame.xml";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_THROW(ReadRowList(pipe), Error);  // reported at once, no writer is waited for
    // refused by its size before a byte is read (the file is sparse)
    const auto large = dir / "Send_Frame.xml";
    WriteText(large, "<Root/>");
    ASSERT_EQ(::truncate(large.c_str(), 17 * 1024 * 1024), 0);
    const std::string refusal =
        "The file " + large + " is too large for a project document (17825792 bytes, the limit is 16 MiB).";
    EXPECT_EQ(ErrorText([&] { ReadRowList(large); }), refusal);
    EXPECT_EQ(ErrorText([&] { ReadValueRecord(large); }), refusal);
    EXPECT_EQ(ErrorText([&] { ReadValueList(large); }), refusal);
    // one byte less than the limit is read
    WriteText(large, "<Root>" + std::string(kMaxProjectDocumentBytes - 14, ' ') + "</Root>");
    EXPECT_EQ(ReadRowList(large)->rows.size(), 0u);
}

TEST(RowListDocument, DocumentOfNoProjectIsNeitherReadNorWritten) {
    EXPECT_FALSE(ReadRowList(""));
    EXPECT_FALSE(ReadValueRecord(""));
    EXPECT_FALSE(ReadValueList(""));
    EXPECT_EQ(ErrorText([] { WriteRowList("", "R", {}); }), "Project not valid");
    EXPECT_EQ(ErrorText([] { WriteValueRecord("", "R", {}); }), "Project not valid");
    EXPECT_EQ(ErrorText([] { WriteValueList("", "R", "T", {}); }), "Project not valid");
}

TEST(ValueRecordDocument, TextIsTheWholeTextContent) {
    TempDir dir;
    const auto path = dir / "pargen.xml";
    WriteText(path, "<Par_Gen><Profi_ID>1<!-- note -->2</Profi_ID><Can_Baud><b>5</b></Can_Baud></Par_Gen>");
    const auto record = ReadValueRecord(path);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Required("Profi_ID"), "12");
    EXPECT_EQ(record->Required("Can_Baud"), "5");
}

TEST(RowListDocument, FailedWriteLeavesTheEarlierFile) {
    TempDir dir;
    const auto path = dir / "list.xml";
    WriteText(path, "<Root/>");
    EXPECT_THROW(WriteRowList(dir / "missing/list.xml", "Root", {}), Error);
    EXPECT_EQ(ReadText(path), "<Root/>");
}

TEST(ValueRecordDocument, WritesElementsInOrderAndReadsFirstOfAName) {
    TempDir dir;
    const auto path = dir / "pargen.xml";
    WriteValueRecord(path, "Par_Gen", {{"Can_Baud", "3"}, {"Profi_ID", "5"}, {"Empty", ""}});
    EXPECT_EQ(ReadText(path), "<Par_Gen><Can_Baud>3</Can_Baud><Profi_ID>5</Profi_ID><Empty/></Par_Gen>");

    WriteText(path, "<X><Can_Baud>1</Can_Baud><Can_Baud>2</Can_Baud></X>");
    const auto record = ReadValueRecord(path);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Required("Can_Baud"), "1");
    EXPECT_EQ(record->Guarded("Profi_ID", "0"), "0");
    EXPECT_THROW(record->Required("Profi_ID"), Error);
}

TEST(ValueListDocument, RoundTripsInOrder) {
    TempDir dir;
    const auto path = dir / "TimerDef.xml";
    WriteValueList(path, "Timers", "Timer", {"100", "250"});
    EXPECT_EQ(ReadText(path), "<Timers><Timer>100</Timer><Timer>250</Timer></Timers>");
    EXPECT_EQ(*ReadValueList(path), (std::vector<std::string>{"100", "250"}));
}

}  // namespace
}  // namespace kestrova

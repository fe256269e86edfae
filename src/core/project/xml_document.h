#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrova {

// Project documents come in three shapes:
//   row list      <Root><row A="..." B="..."/>...</Root>      cells are attributes
//   value record  <Root><Name>text</Name>...</Root>          one element per setting
//   value list    <Root><Item>text</Item>...</Root>          one element per value
// Readers take the one top-level element as the root, whatever its name. A missing file
// reads as "no document" (std::nullopt); a file that does not parse throws Error with the
// parser's reason and position, and so does a second root element, text beside the root, an
// attribute given twice, a NUL byte anywhere and a file larger than kMaxProjectDocumentBytes.
// The encoding a declaration names (UTF-8, ISO-8859-1, Windows-1252) is honoured; texts are
// UTF-8 in memory and in every written file. An empty path (a document of no project, see
// ProjectContext) reads as no document, and writers refuse it with "Project not valid".

using NamedTexts = std::vector<std::pair<std::string, std::string>>;

// Largest project document the readers accept; a larger file is refused before it is read
// (the gateway's whole image is about 100 kB, so no valid project comes near it).
inline constexpr long long kMaxProjectDocumentBytes = 16LL * 1024 * 1024;
// Largest XML file the XML text reader accepts (any XML file, not only project documents).
inline constexpr long long kMaxDocumentBytes = 64LL * 1024 * 1024;

// One row of a row list: its attributes in document order.
class XmlRow {
public:
    XmlRow(NamedTexts attributes, std::string where);

    const std::string* Find(const std::string& name) const;
    // A cell every row must have: throws Error naming the attribute and the row when absent.
    std::string Required(const std::string& name) const;
    // A cell a row may lack: `fallback` when absent.
    std::string Guarded(const std::string& name, const std::string& fallback = {}) const;
    const NamedTexts& Attributes() const { return attributes_; }

private:
    NamedTexts attributes_;
    std::string where_;  // "row 3 of /p/Receive_Frame.xml", for messages
};

struct RowListDocument {
    std::string rootName;
    std::vector<XmlRow> rows;  // every element child of the root, in document order
};

// A value record: the child elements of the root with their texts, in document order.
class ValueRecord {
public:
    ValueRecord(NamedTexts elements, std::string path);

    // The text of the first child element with that name; nothing when absent.
    std::optional<std::string> Find(const std::string& name) const;
    // A setting every document must have: throws Error naming the element when absent.
    std::string Required(const std::string& name) const;
    std::string Guarded(const std::string& name, const std::string& fallback = {}) const;
    const NamedTexts& Elements() const { return elements_; }

private:
    NamedTexts elements_;
    std::string path_;
};

std::optional<RowListDocument> ReadRowList(const std::string& path);
std::optional<ValueRecord> ReadValueRecord(const std::string& path);
// The texts of the root's child elements, in document order.
std::optional<std::vector<std::string>> ReadValueList(const std::string& path);

// Writers rebuild the whole document and replace the file: no XML declaration, no
// indentation, UTF-8, attributes and elements in the order given. Throw Error on failure;
// an earlier file is then left as it was.
void WriteRowList(const std::string& path, const std::string& rootName, const std::vector<NamedTexts>& rows);
void WriteValueRecord(const std::string& path, const std::string& rootName, const NamedTexts& elements);
void WriteValueList(const std::string& path, const std::string& rootName, const std::string& elementName,
                    const std::vector<std::string>& values);

// The same document forms as text, for callers that write the file themselves.
std::string RowListText(const std::string& rootName, const std::vector<NamedTexts>& rows);

}  // namespace kestrova

#include "core/dbc/dbc_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <optional>

#include "core/project/error.h"
#include "core/project/file_system.h"
#include "core/project/integer_text.h"
#include "core/project/text_encoding.h"

namespace kestrova {
namespace {

// The pseudo-message in which DBC writers keep signals that belong to no message.
constexpr const char* kIndependentSignals = "VECTOR__INDEPENDENT_SIG_MSG";

// VFrameFormat values when the file does not define the list itself.
const std::vector<std::string>& DefaultFrameFormats() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list{"StandardCAN", "ExtendedCAN", "reserved", "J1939PG"};
        list.resize(14, "reserved");
        list.push_back("StandardCAN_FD");
        list.push_back("ExtendedCAN_FD");
        return list;
    }();
    return names;
}

struct Token {
    enum Kind { Word, Text, Mark } kind;
    std::string text;  // a Text without its quotes and escapes
};

bool IsMark(char c) { return c != '\0' && std::strchr(":;,|@()[]", c) != nullptr; }

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::vector<Token> Tokens(const std::string& statement) {
    std::vector<Token> tokens;
    size_t at = 0;
    while (at < statement.size()) {
        const char c = statement[at];
        if (IsBlankChar(c)) {
            ++at;
        } else if (c == '"') {
            std::string text;
            for (++at; at < statement.size() && statement[at] != '"'; ++at) {
                if (statement[at] == '\\' && at + 1 < statement.size()) ++at;
                text += statement[at];
            }
            ++at;  // the closing quote (statements are only formed with their quotes closed)
            tokens.push_back({Token::Text, std::move(text)});
        } else if (IsMark(c)) {
            tokens.push_back({Token::Mark, std::string(1, c)});
            ++at;
        } else {
            const size_t begin = at;
            while (at < statement.size() && !IsBlankChar(statement[at]) && statement[at] != '"' &&
                   !IsMark(statement[at]))
                ++at;
            tokens.push_back({Token::Word, statement.substr(begin, at - begin)});
        }
    }
    return tokens;
}

// Whether a quoted text is still open after `text`, given whether one was open before it.
bool QuoteOpenAfter(const std::string& text, bool open) {
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '"') {
            open = !open;
        } else if (open && text[at] == '\\') {
            ++at;
        }
    }
    return open;
}

bool IsNameLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

bool IsNameText(const std::string& text) {
    if (text.empty() || !IsNameLetter(text[0])) return false;
    for (const char c : text)
        if (!IsNameLetter(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

// Why a word is not a DBC name ("the message name 1ABC begins with a digit"); nothing when it is.
std::optional<std::string> NameProblem(const std::string& what, const std::string& text) {
    if (IsNameText(text)) return std::nullopt;
    if (!text.empty() && text[0] >= '0' && text[0] <= '9') return what + " " + EchoedText(text) + " begins with a digit";
    return what + " " + EchoedText(text) + " holds a character other than letters, digits and _";
}

// An unsigned decimal number of at most 10 digits (DBC identifiers and lengths).
std::optional<int64_t> Unsigned(const Token& token) {
    if (token.kind != Token::Word || token.text.empty() || token.text.size() > 10) return std::nullopt;
    for (const char c : token.text)
        if (c < '0' || c > '9') return std::nullopt;
    return IntegerText64(token.text, -1);
}

bool IsMarkToken(const std::vector<Token>& tokens, size_t index, char mark) {
    return index < tokens.size() && tokens[index].kind == Token::Mark && tokens[index].text[0] == mark;
}

// Tokens without a closing ";" (writers differ in whether they put one).
std::vector<Token> WithoutSemicolon(std::vector<Token> tokens) {
    if (!tokens.empty() && IsMarkToken(tokens, tokens.size() - 1, ';')) tokens.pop_back();
    return tokens;
}

// Comments of DBC files are mostly written in Windows-1252; UTF-8 ones are kept as they are.
std::string CommentAsUtf8(const std::string& text) {
    if (FirstInvalidUtf8(text) == std::string::npos) return text;
    return SingleByteToUtf8(text, SingleByteCode::Windows1252);
}

class DbcReader {
public:
    explicit DbcReader(std::string origin) : origin_(std::move(origin)) {}

    DbcFile Read(const std::string& text) {
        std::vector<std::string> lines = Lines(text);
        for (size_t index = 0; index < lines.size();) {
            const size_t first = index;
            std::string statement = std::move(lines[index]);
            bool open = QuoteOpenAfter(statement, false);
            while (open) {
                if (++index == lines.size()) Fail(first, "a quoted text begins on this line and is never closed");
                open = QuoteOpenAfter(lines[index], open);
                statement += '\n';
                statement += lines[index];
            }
            ++index;
            Statement(Tokens(statement), first);
        }
        return Finish();
    }

private:
    [[noreturn]] void Fail(size_t lineIndex, const std::string& problem) const {
        throw Error(origin_ + ", line " + std::to_string(lineIndex + 1) + ": " + problem);
    }

    // The lines of the text; refuses bytes no text file holds.
    std::vector<std::string> Lines(const std::string& text) const {
        std::vector<std::string> lines(1);
        size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a UTF-8 byte order mark
        for (; at < text.size(); ++at) {
            const char c = text[at];
            if (c == '\n') {
                if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
                lines.emplace_back();
                continue;
            }
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 && c != '\t' && c != '\r' && c != '\f' && c != '\v') {
                char code[8];
                std::snprintf(code, sizeof code, "0x%02X", byte);
                Fail(lines.size() - 1, std::string("this is not a DBC text file (it holds the byte ") + code + ")");
            }
            lines.back() += c;
        }
        return lines;
    }

    void Statement(const std::vector<Token>& tokens, size_t line) {
        if (tokens.empty()) return;  // blank lines do not end a message's signals
        const std::string& keyword = tokens[0].kind == Token::Word ? tokens[0].text : std::string();
        if (keyword == "SG_") return Signal(tokens, line);
        inMessage_ = false;
        if (keyword == "BO_") return Message(tokens, line);
        if (keyword == "CM_" && tokens.size() > 1 && tokens[1].text == "BO_" && tokens[1].kind == Token::Word)
            return Comment(tokens, line);
        if (keyword == "BA_DEF_") return FormatDefinition(tokens);
        if (keyword == "BA_" && tokens.size() > 1 && tokens[1].kind == Token::Text) {
            if (tokens[1].text == "VFrameFormat") return FormatValue(tokens, line);
            if (tokens[1].text == "SystemMessageLongSymbol") return LongName(tokens, line);
        }
    }

    void Message(const std::vector<Token>& tokens, size_t line) {
        static const std::string shape =
            "the message definition is not \"BO_ <identifier> <name>: <length> <transmitter>\"";
        if (tokens.size() != 6 || tokens[2].kind != Token::Word || !IsMarkToken(tokens, 3, ':') ||
            tokens[5].kind != Token::Word)
            Fail(line, shape);
        const auto identifier = Unsigned(tokens[1]);
        const auto length = Unsigned(tokens[4]);
        if (!identifier || !length || *identifier > 0xFFFFFFFFLL) Fail(line, shape);
        const std::string& name = tokens[2].text;
        if (name == kIndependentSignals) {  // not a message: its signals are skipped with it
            inMessage_ = true;
            inPseudoMessage_ = true;
            return;
        }
        DbcMessage message;
        message.name = name;
        message.symbol = name;
        message.extended = (*identifier & 0x80000000LL) != 0;
        message.identifier = static_cast<uint32_t>(*identifier & 0x7FFFFFFFLL);
        message.length = static_cast<int>(std::min<int64_t>(*length, std::numeric_limits<int>::max()));
        message.transmitter = tokens[5].text;
        message.line = line + 1;
        if (message.extended && message.identifier > 0x1FFFFFFF)
            message.problem = "the identifier " + EchoedText(tokens[1].text) + " is more than 29 bits";
        else if (!message.extended && message.identifier > 0x7FF)
            message.problem = "the identifier " + EchoedText(tokens[1].text) +
                              " is more than 11 bits, but bit 31 (a 29-bit identifier) is not set";
        else if (const auto problem = NameProblem("the message name", name))
            message.problem = *problem;
        else if (*length > kMaxDbcMessageLength)
            message.problem =
                "the length " + EchoedText(tokens[4].text) + " is more than " + std::to_string(kMaxDbcMessageLength) + " bytes";
        messages_.push_back(std::move(message));
        inMessage_ = true;
        inPseudoMessage_ = false;
    }

    void Signal(const std::vector<Token>& tokens, size_t line) {
        if (!inMessage_) Fail(line, "a signal (SG_) outside a message (BO_)");
        if (inPseudoMessage_) return;
        // SG_ <name> [<multiplexer indicator>] : <layout...>
        DbcMessage& message = messages_.back();
        const bool named = tokens.size() > 2 && tokens[1].kind == Token::Word;
        const bool plain = named && IsMarkToken(tokens, 2, ':');
        const bool multiplexed = named && tokens[2].kind == Token::Word && IsMarkToken(tokens, 3, ':');
        const std::string where = " (line " + std::to_string(line + 1) + ")";
        std::optional<std::string> problem;
        if (!plain && !multiplexed)
            problem = "the signal definition" + where + " is not \"SG_ <name> : <layout>\"";
        else if (const auto name = NameProblem("the signal name", tokens[1].text))
            problem = *name + where;
        if (problem && message.problem.empty()) message.problem = *problem;
        if (!problem) message.signalNames.push_back(tokens[1].text);
    }

    void Comment(const std::vector<Token>& tokens, size_t line) {
        // CM_ BO_ <identifier> "<text>";
        const auto statement = WithoutSemicolon(tokens);
        const auto identifier = statement.size() == 4 ? Unsigned(statement[2]) : std::nullopt;
        if (!identifier || statement[3].kind != Token::Text || *identifier > 0xFFFFFFFFLL)
            Fail(line, "the message comment is not \"CM_ BO_ <identifier> \"<text>\";\"");
        comments_[static_cast<uint32_t>(*identifier)] = CommentAsUtf8(statement[3].text);
    }

    void FormatDefinition(const std::vector<Token>& tokens) {
        // BA_DEF_ BO_ "VFrameFormat" ENUM "StandardCAN","ExtendedCAN",...;
        const auto statement = WithoutSemicolon(tokens);
        if (statement.size() < 5 || statement[1].text != "BO_" || statement[2].kind != Token::Text ||
            statement[2].text != "VFrameFormat" || statement[3].text != "ENUM")
            return;
        formatNames_.clear();
        for (size_t at = 4; at < statement.size(); ++at)
            if (statement[at].kind == Token::Text) formatNames_.push_back(statement[at].text);
    }

    void FormatValue(const std::vector<Token>& tokens, size_t line) {
        // BA_ "VFrameFormat" BO_ <identifier> <value>;
        const auto statement = WithoutSemicolon(tokens);
        const bool shaped = statement.size() == 5 && statement[2].kind == Token::Word && statement[2].text == "BO_";
        const auto identifier = shaped ? Unsigned(statement[3]) : std::nullopt;
        const auto value = shaped ? Unsigned(statement[4]) : std::nullopt;
        if (!identifier || !value || *identifier > 0xFFFFFFFFLL)
            Fail(line, "the frame format is not \"BA_ \"VFrameFormat\" BO_ <identifier> <value>;\"");
        formats_[static_cast<uint32_t>(*identifier)] = *value;
    }

    void LongName(const std::vector<Token>& tokens, size_t line) {
        // BA_ "SystemMessageLongSymbol" BO_ <identifier> "<name>";
        const auto statement = WithoutSemicolon(tokens);
        const bool shaped = statement.size() == 5 && statement[2].kind == Token::Word && statement[2].text == "BO_" &&
                            statement[4].kind == Token::Text;
        const auto identifier = shaped ? Unsigned(statement[3]) : std::nullopt;
        if (!identifier || *identifier > 0xFFFFFFFFLL)
            Fail(line, "the long name is not \"BA_ \"SystemMessageLongSymbol\" BO_ <identifier> \"<name>\";\"");
        longNames_[static_cast<uint32_t>(*identifier)] = statement[4].text;
    }

    DbcFile Finish() {
        const auto& names = formatNames_.empty() ? DefaultFrameFormats() : formatNames_;
        for (auto& message : messages_) {
            const uint32_t identifier = message.DbcIdentifier();
            if (const auto comment = comments_.find(identifier); comment != comments_.end())
                message.comment = comment->second;
            if (const auto format = formats_.find(identifier); format != formats_.end())
                message.frameFormat = format->second < static_cast<int64_t>(names.size())
                                          ? names[static_cast<size_t>(format->second)]
                                          : std::to_string(format->second);
            // A long name that is no DBC name or longer than a Mnemonic can be is not taken.
            if (const auto longName = longNames_.find(identifier); longName != longNames_.end() &&
                                                                   IsNameText(longName->second) &&
                                                                   longName->second.size() <= kMaxLongNameLength)
                message.name = longName->second;
        }
        std::map<std::string, size_t> lines;  // full name -> line of its BO_
        for (auto& message : messages_) {
            const auto [earlier, added] = lines.emplace(message.name, message.line);
            if (!added && message.problem.empty())
                message.problem =
                    "the message name " + message.name + " is already used on line " + std::to_string(earlier->second);
        }
        return DbcFile{std::move(messages_)};
    }

    std::string origin_;
    std::vector<DbcMessage> messages_;
    std::map<uint32_t, std::string> comments_;
    std::map<uint32_t, int64_t> formats_;
    std::map<uint32_t, std::string> longNames_;
    std::vector<std::string> formatNames_;
    bool inMessage_ = false;
    bool inPseudoMessage_ = false;
};

}  // namespace

DbcFile ParseDbc(const std::string& text, const std::string& origin) { return DbcReader(origin).Read(text); }

DbcFile ReadDbcFile(const std::string& path) { return ParseDbc(ReadWholeFile(path, kMaxDbcFileBytes), path); }

}  // namespace kestrova

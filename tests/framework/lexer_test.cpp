#include "framework/lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/stream.h"

using nsSJIS::TLexer;
using nsSJIS::TParseCSV;
using Record = std::vector<std::string>;

namespace {

// A memory stream over its own copy of the text.
struct TextStream {
    std::string bytes;
    TMemoryStream stream;
    explicit TextStream(std::string text)
        : bytes(std::move(text)), stream(bytes.data(), static_cast<uint32_t>(bytes.size())) {}
};

std::vector<Record> readAll(const std::string& text) {
    TextStream t(text);
    TParseCSV csv(&t.stream);
    std::vector<Record> records;
    for (int guard = 0; !csv.isEnd() && guard < 1000; ++guard) {
        Record r;
        csv.readRecord(r);
        records.push_back(r);
    }
    EXPECT_TRUE(csv.isEnd());
    return records;
}

}  // namespace

TEST(Lexer, TokensAreDelimiterRunsAndSingleDelimiters) {
    TextStream t("ab,c");
    TLexer lex(&t.stream);
    std::string tok;
    lex.next(tok);
    EXPECT_EQ(tok, "ab");
    EXPECT_FALSE(lex.lastWasDelimiter());
    std::string peeked;
    lex.peek(peeked);
    EXPECT_EQ(peeked, ",");
    EXPECT_EQ(lex.token(), "ab");  // peeking changes neither the token nor the flag
    EXPECT_FALSE(lex.lastWasDelimiter());
    lex.next(tok);
    EXPECT_EQ(tok, ",");
    EXPECT_TRUE(lex.lastWasDelimiter());
    lex.next(tok);
    EXPECT_EQ(tok, "c");
    EXPECT_TRUE(lex.isEnd());  // the read that looked past c found the end
    lex.next(tok);
    EXPECT_EQ(tok, "");
    EXPECT_TRUE(lex.lastWasDelimiter());
}

TEST(Lexer, AtSignAndUnderscoreBelongToWordsAndTrailBytesCanSplit) {
    TextStream t(
        "@a_b.x\x95\x5C"
        "y");
    TLexer lex(&t.stream);
    std::string tok;
    lex.next(tok);
    EXPECT_EQ(tok, "@a_b");
    lex.next(tok);
    EXPECT_EQ(tok, ".");
    lex.next(tok);
    EXPECT_EQ(tok, "x\x95");  // the lexer does not pair Shift-JIS bytes
    lex.next(tok);
    EXPECT_EQ(tok, "\\");

    TLexer none;
    EXPECT_TRUE(none.isEnd());
    none.next(tok);
    EXPECT_EQ(tok, "");
    none.peek(tok);
    EXPECT_EQ(tok, "");
}

TEST(Csv, QuotedFieldsHoldCommasAndDoubledQuotes) {
    TextStream t("a,\"b,c\"\"d\"\r\nnext,x\"y\"z\n");
    TParseCSV csv(&t.stream);
    Record r;
    csv.readRecord(r);
    EXPECT_EQ(r, (Record{"a", "b,c\"d"}));
    EXPECT_TRUE(csv.isEndOfRecord());
    r.clear();
    csv.readRecord(r);
    EXPECT_EQ(r, (Record{"next", "xyz"}));  // text after a closing quote is kept
    EXPECT_TRUE(csv.isEnd());
}

TEST(Csv, LineEndsAndTheEndOfTheStream) {
    // An empty line is swallowed with the line end before it.
    EXPECT_EQ(readAll("a\n\nb\n"), (std::vector<Record>{{"a"}, {"b"}}));
    // CR LF and LF CR are one line end; the last line need not end.
    EXPECT_EQ(readAll("a,b\r\nc\n\rd"), (std::vector<Record>{{"a", "b"}, {"c"}, {"d"}}));
    // A line end inside quotes is field text.
    EXPECT_EQ(readAll("\"x\ny\",z\n"), (std::vector<Record>{{"x\ny", "z"}}));
    // A quote never closed takes the rest of the stream and ends there.
    EXPECT_EQ(readAll("a,\"open\nmore,stuff"), (std::vector<Record>{{"a", "open\nmore,stuff"}}));
    // A quote closed right at the end of the stream.
    EXPECT_EQ(readAll("a,\"q\""), (std::vector<Record>{{"a", "q"}}));
    // Empty fields and a trailing comma.
    EXPECT_EQ(readAll(",,\n"), (std::vector<Record>{{"", "", ""}}));
    // The trail byte 0x5C does not matter under the CSV delimiters.
    EXPECT_EQ(readAll("\x95\x5C,\x82\xA0\n"), (std::vector<Record>{{"\x95\x5C", "\x82\xA0"}}));
}

TEST(Csv, WithoutAStreamNothingHappens) {
    TParseCSV csv;
    Record r{"kept"};
    csv.readRecord(r);
    EXPECT_EQ(r, Record{"kept"});
    std::string f = "x";
    csv.readField(f);
    EXPECT_EQ(f, "");
}

#pragma once
// Tokenisers over a byte stream: TLexer cuts at single-byte delimiter characters, TParseCSV reads
// comma-separated records with quoted fields (the image display table is read with it).
// Bytes are not paired into Shift-JIS characters here: a trail byte that equals a delimiter
// ends a token like the delimiter itself.
#include <string>
#include <vector>

class TStream;

namespace nsSJIS {

class TLexer {
public:
    // LF, CR, tab, space and the ASCII punctuation except the at sign and the underscore.
    static const char* const kDefaultDelimiters;

    TLexer() : delimiters_(kDefaultDelimiters) {}
    explicit TLexer(TStream* stream) : TLexer() { stream_ = stream; }
    virtual ~TLexer() = default;

    // The stream is borrowed; the lexer never deletes it.
    virtual bool setStream(TStream* stream) {
        stream_ = stream;
        return true;
    }
    // True without a stream, else when the stream's last read ran out of data.
    virtual bool isEnd();
    // True when the last token from next was a single delimiter or empty.
    virtual bool lastWasDelimiter() { return lastWasDelimiter_; }
    // The next token: one delimiter character, a run of non-delimiter bytes (the delimiter that
    // ends it is left in the stream), or empty at the end of the stream.
    virtual void next(std::string& out, const std::string& delimiters);
    virtual void next(std::string& out) { next(out, delimiters_); }
    // The token next would return, leaving the stream, the token and the flag as they are.
    virtual void peek(std::string& out, const std::string& delimiters);
    virtual void peek(std::string& out) { peek(out, delimiters_); }

    const std::string& token() const { return token_; }
    const std::string& delimiters() const { return delimiters_; }

protected:
    // Reads one token into out; returns whether it was a single delimiter (or empty).
    bool readToken(std::string& out, const std::string& delimiters);

    TStream* stream_ = nullptr;
    bool lastWasDelimiter_ = false;
    std::string token_;
    std::string delimiters_;
};

class TParseCSV : public TLexer {
public:
    TParseCSV();
    explicit TParseCSV(TStream* stream) : TParseCSV() { stream_ = stream; }
    ~TParseCSV() override = default;

    // Appends the fields of one record (the vector is not cleared first). Nothing without a stream.
    virtual void readRecord(std::vector<std::string>& fields);
    // One field: up to a comma or a line end; a quoted run may hold commas, line ends and
    // doubled quotes; a quote left open at the end of the stream ends the field there.
    virtual void readField(std::string& out);
    // Set when the field just read ended its line.
    bool isEndOfRecord() const { return endOfRecord_; }

private:
    bool endOfRecord_ = false;
};

}  // namespace nsSJIS

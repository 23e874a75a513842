#include "framework/lexer.h"

#include "framework/sjis.h"
#include "framework/stream.h"

namespace nsSJIS {

namespace {

const std::string kCsvDelimiters = "\n\r\",";
const std::string kQuoteOnly = "\"";

bool isDelimiter(const std::string& delimiters, char byte) {
    return strChr(delimiters.c_str(), static_cast<unsigned char>(byte)) >= 0;
}

}  // namespace

const char* const TLexer::kDefaultDelimiters = "\n\r\t !\"#$%&'()*+,-./:;<=>?[\\]^`{|}~";

bool TLexer::isEnd() { return !stream_ || stream_->isEof(); }

bool TLexer::readToken(std::string& out, const std::string& delimiters) {
    out.clear();
    if (!stream_) return true;
    char byte = static_cast<char>(stream_->readInt8());
    if (isEnd()) return true;
    out.push_back(byte);
    if (isDelimiter(delimiters, byte)) return true;
    for (;;) {
        byte = static_cast<char>(stream_->readInt8());
        if (isEnd()) break;
        if (isDelimiter(delimiters, byte)) {
            stream_->seek(-1, 1);  // left for the next token
            break;
        }
        out.push_back(byte);
    }
    return false;
}

void TLexer::next(std::string& out, const std::string& delimiters) {
    lastWasDelimiter_ = readToken(token_, delimiters);
    out = token_;
}

void TLexer::peek(std::string& out, const std::string& delimiters) {
    out.clear();
    if (!stream_) return;
    uint32_t at = stream_->tell();
    readToken(out, delimiters);
    stream_->seek(static_cast<int32_t>(at), 0);
}

TParseCSV::TParseCSV() { delimiters_ = kCsvDelimiters; }

void TParseCSV::readField(std::string& out) {
    out.clear();
    if (!stream_) return;
    endOfRecord_ = false;
    std::string tok;
    while (!isEnd()) {
        next(tok, kCsvDelimiters);
        if (tok == ",") break;
        if (tok == "\n" || tok == "\r") {
            // CR LF, LF CR and two LFs in a row end one line together.
            char after = static_cast<char>(stream_->readInt8());
            if (!isEnd() && after != '\n' && after != '\r') stream_->seek(-1, 1);
            endOfRecord_ = true;
            break;
        }
        if (tok == "\"") {
            while (!isEnd()) {
                next(tok, kQuoteOnly);
                if (tok != "\"") {
                    out += tok;
                    continue;
                }
                char after = static_cast<char>(stream_->readInt8());
                if (isEnd()) break;  // the stream ends right after the closing quote
                if (after == '"') {
                    out.push_back('"');
                    continue;
                }
                stream_->seek(-1, 1);
                break;
            }
            continue;
        }
        out += tok;
    }
}

void TParseCSV::readRecord(std::vector<std::string>& fields) {
    if (!stream_) return;
    std::string field;
    do {
        readField(field);
        fields.push_back(field);
    } while (!endOfRecord_ && !isEnd());
}

}  // namespace nsSJIS

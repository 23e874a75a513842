// Arbitrary bytes read as CSV records and as lexer tokens: every loop must end at the stream's end.
#include <string>
#include <vector>

#include "framework/lexer.h"
#include "framework/stream.h"
#include "support/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    {
        TMemoryStream stream(bytes.data(), static_cast<uint32_t>(bytes.size()));
        nsSJIS::TParseCSV csv(&stream);
        size_t total = 0;
        while (!csv.isEnd()) {
            std::vector<std::string> record;
            csv.readRecord(record);
            for (const std::string& f : record) total += f.size();
            if (total > size) __builtin_trap();  // a field can only hold bytes of the input
        }
    }
    {
        TMemoryStream stream(bytes.data(), static_cast<uint32_t>(bytes.size()));
        nsSJIS::TLexer lex(&stream);
        std::string tok, peeked;
        size_t steps = 0;
        while (!lex.isEnd()) {
            lex.peek(peeked);
            lex.next(tok);
            if (tok != peeked || ++steps > size + 1) __builtin_trap();
        }
    }
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::string csv = "name,\"a,b\"\"c\"\r\n\nx,y\n\"open";
    std::string words = "@set $mj_name = \"abc\"; \x95\x5C(1, 2)";
    return {std::vector<uint8_t>(csv.begin(), csv.end()), std::vector<uint8_t>(words.begin(), words.end())};
}

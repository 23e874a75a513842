// Converts text between Shift-JIS (code page 932, the program's own tables) and UTF-8.
//   sjisconv [-r] [file ...]     files (or standard input) to standard output
// Without -r the input is Shift-JIS and the output UTF-8; with -r the other way round.
// Characters without a counterpart become a white square, as everywhere in the program.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/codepage.h"

namespace {

void usage(std::FILE* to) {
    std::fputs(
        "usage: sjisconv [-r] [file ...]\n"
        "  Converts Shift-JIS text to UTF-8 (with -r: UTF-8 to Shift-JIS).\n"
        "  Reads the files in order, or standard input when none is given;\n"
        "  writes to standard output.\n",
        to);
}

bool readAll(std::istream& in, std::string& out) {
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Converts the whole text, keeping NUL bytes (the conversions stop at one) as they are.
std::string convert(const std::string& text, bool reverse) {
    std::string result, piece;
    size_t start = 0;
    for (;;) {
        size_t nul = text.find('\0', start);
        std::string_view part(text.data() + start, (nul == std::string::npos ? text.size() : nul) - start);
        if (reverse)
            platform::utf8ToSjis(piece, part);
        else
            platform::sjisToUtf8(piece, part);
        result += piece;
        if (nul == std::string::npos) break;
        result.push_back('\0');
        start = nul + 1;
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    bool reverse = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-r") == 0) {
            reverse = true;
        } else if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            usage(stdout);
            return 0;
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            std::fprintf(stderr, "sjisconv: unknown option %s\n", argv[i]);
            usage(stderr);
            return 2;
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.empty() && isatty(STDIN_FILENO)) {
        usage(stdout);  // nothing to read: say how to use it instead of waiting
        return 0;
    }

    int status = 0;
    std::string text;
    if (files.empty()) files.push_back("-");
    for (const std::string& name : files) {
        bool ok;
        if (name == "-") {
            ok = readAll(std::cin, text);
        } else {
            std::ifstream in(name, std::ios::binary);
            ok = in.is_open() && readAll(in, text);
        }
        if (!ok) {
            std::fprintf(stderr, "sjisconv: cannot read %s\n", name.c_str());
            status = 1;
            continue;
        }
        std::string out = convert(text, reverse);
        std::fwrite(out.data(), 1, out.size(), stdout);
    }
    if (std::fflush(stdout) != 0) return 1;
    return status;
}

// g2asm: assembles a script text into a compiled script file, or shows a compiled script as text.
//   g2asm IN.g2s OUT.g2      assemble
//   g2asm -d IN.g2 [OUT]     disassemble (to standard output without OUT)
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "framework/stream.h"
#include "script/assembler.h"

namespace {

bool readFile(const char* name, std::string& out) {
    std::ifstream in(name, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

bool writeFile(const char* name, const void* data, size_t size) {
    std::ofstream out(name, std::ios::binary);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

int usage() {
    std::fprintf(stderr, "usage: g2asm IN.g2s OUT.g2\n       g2asm -d IN.g2 [OUT.g2s]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const bool dis = std::string(argv[1]) == "-d";
    if (!dis && argc != 3) return usage();
    std::string input;
    const char* in = dis ? argv[2] : argv[1];
    if (!readFile(in, input)) {
        std::fprintf(stderr, "g2asm: cannot read %s\n", in);
        return 1;
    }
    if (dis) {
        TMemoryStream stream(input.data(), static_cast<uint32_t>(input.size()));
        G2ScriptImage image;
        if (!readScriptImage(stream, image)) {
            std::fprintf(stderr, "g2asm: %s is not a compiled script\n", in);
            return 1;
        }
        const std::string text = disassembleScript(image);
        if (argc > 3) return writeFile(argv[3], text.data(), text.size()) ? 0 : 1;
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    G2ScriptImage image;
    std::string error;
    if (!assembleScript(input, image, error)) {
        std::fprintf(stderr, "g2asm: %s: %s\n", in, error.c_str());
        return 1;
    }
    const std::vector<uint8_t> bytes = scriptFileBytes(image);
    if (!writeFile(argv[2], bytes.data(), bytes.size())) {
        std::fprintf(stderr, "g2asm: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

#include "script/opcodes.h"

#include <array>

namespace {

// -1 marks an opcode that is not in the table.
constexpr std::array<int8_t, 256> makeSizes() {
    std::array<int8_t, 256> s{};
    for (auto& v : s) v = -1;
    auto put = [&](int op, int size) { s[op] = static_cast<int8_t>(size); };
    put(0x01, 99), put(0x02, 99), put(0x03, 4), put(0x04, 0), put(0x05, 4), put(0x06, 0), put(0x07, 4);
    put(0x08, 4), put(0x09, 4), put(0x0a, 4), put(0x0b, 4), put(0x0c, 103), put(0x0d, 0), put(0x0e, 0);
    put(0x0f, 99), put(0x10, 0), put(0x11, 0), put(0x13, 4), put(0x14, 4), put(0x15, 0), put(0x16, 0);
    put(0x20, 4), put(0x21, 4), put(0x22, 4), put(0x40, 4), put(0x41, 4), put(0x42, 4), put(0x44, 4);
    put(0x45, 4), put(0x46, 4), put(0x51, 4), put(0x52, 4), put(0x53, 4);
    for (int op = 0x80; op <= 0x98; ++op) put(op, 0);
    for (int op = 0x9a; op <= 0xa4; ++op) put(op, 0);
    put(0xf0, 0), put(0xff, 0);
    return s;
}

constexpr std::array<int8_t, 256> kSizes = makeSizes();

}  // namespace

int g2OperandSize(uint8_t opcode) { return kSizes[opcode] < 0 ? 0 : kSizes[opcode]; }

bool g2InSizeTable(uint8_t opcode) { return kSizes[opcode] >= 0; }

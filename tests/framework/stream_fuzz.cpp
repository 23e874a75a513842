// Any bytes as stream contents, read as text in every encoding; and any bytes as a program of
// stream operations (seeks anywhere, reads, writes, growth, detaching) on the memory streams.
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/stream.h"
#include "support/fuzz.h"

namespace {

void readAllText(const uint8_t* data, size_t size) {
    for (int enc : {0, 1, 2, 3, 9}) {
        TMemoryStream m(const_cast<uint8_t*>(data), static_cast<uint32_t>(size), enc);
        std::string line;
        for (int guard = 0; guard < 4096 && !m.isEof(); ++guard) m.readLine(line, guard % 7 == 3 ? 5 : -1);
        m.seek(0, 0);
        char buf[7];
        for (int guard = 0; guard < 4096 && !m.isEof(); ++guard) {
            m.readLineTo(buf, 1 + guard % static_cast<int>(sizeof buf));
            if (std::strlen(buf) >= sizeof buf) std::abort();
        }
        m.seek(0, 0);
        for (int guard = 0; guard < 4096 && !m.isEof(); ++guard) m.readChar();
        m.seek(0, 0);
        char16_t units[5];
        m.readUtf16LineTo(units, sizeof units);
    }
}

void runProgram(const uint8_t* data, size_t size) {
    TMemoryStream m;
    THMemStream h;
    char fixed[16] = {};
    TMemoryStream foreign(fixed, sizeof fixed);
    TStream* streams[] = {&m, &h, &foreign};
    size_t i = 0;
    auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
    auto next32 = [&]() -> int32_t {
        uint32_t v = 0;
        for (int k = 0; k < 4; ++k) v = v << 8 | next();
        return static_cast<int32_t>(v);
    };
    uint8_t scratch[64];
    while (i < size) {
        TStream& s = *streams[next() % 3];
        switch (next() % 12) {
            case 0:
                s.seek(next32() % 100000, next() % 4);
                break;
            case 1:
                s.read(scratch, next() % sizeof scratch);
                break;
            case 2:
                s.write(data, static_cast<uint32_t>(std::min<size_t>(size, next() % 64)));
                break;
            case 3:
                s.readUInt32();
                s.readInt16();
                s.readUInt8();
                break;
            case 4:
                s.writeUInt32(static_cast<uint32_t>(next32()));
                s.writeInt8(1);
                break;
            case 5:
                s.writeText(std::string(reinterpret_cast<const char*>(data), std::min<size_t>(size, 40)));
                break;
            case 6:
                s.setEncoding(next() % 5);
                break;
            case 7:
                m.copyFrom(h, next());
                h.copyFrom(foreign, next());
                break;
            case 8:
                std::free(m.detach(next() & 1));
                break;
            case 9:
                h.clear();
                break;
            case 10:
                static_cast<TMemoryStream&>(s).reserve(next());
                break;
            default:
                s.writeChar(static_cast<uint32_t>(next32()));
                break;
        }
        if (m.size() > m.capacity() || h.size() > h.capacity() || foreign.size() > sizeof fixed) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    readAllText(data, size);
    runProgram(data, size);
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    return {bytes("ab\r\ncd\n\x82\xa0\x82\xa2\r\n"), bytes(std::string("a\0\r\0\n\0b\0", 8)),
            bytes("\xe3\x81\x82\xc3\xa9\x80\xf0z\n"), bytes("\x00\x05\x00\x00\x10\x00\x01\x02\x20\x03\x07\x00\x0a")};
}

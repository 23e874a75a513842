#include "script/save_file.h"

#include "platform/little_endian.h"

namespace {

constexpr char kMagic[] = "G2SV046";

class Reader {
public:
    explicit Reader(std::string_view d) : d_(d) {}
    bool header() {
        if (d_.size() < 8 || d_.substr(0, 7) != kMagic || d_[7] != '0') return false;
        // Whatever stands between the header and the first escape byte is skipped.
        const size_t esc = d_.find('\x1B', 8);
        if (esc == std::string_view::npos) return false;
        pos_ = esc + 1;
        return true;
    }
    bool u32(uint32_t& v) {
        if (d_.size() - pos_ < 4) return false;
        v = le::load32(reinterpret_cast<const uint8_t*>(d_.data()) + pos_);
        pos_ += 4;
        return true;
    }
    bool u16(uint16_t& v) {
        if (d_.size() - pos_ < 2) return false;
        v = le::load16(reinterpret_cast<const uint8_t*>(d_.data()) + pos_);
        pos_ += 2;
        return true;
    }
    bool text(std::string& out) {
        out.clear();
        while (pos_ < d_.size()) {
            const char c = d_[pos_++];
            if (c == '\0' || c == '\n') return true;
            if (c != '\r') out += c;
        }
        return false;
    }
    size_t pos() const { return pos_; }

private:
    std::string_view d_;
    size_t pos_ = 0;
};

void put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

}  // namespace

std::string g2SaveFileBytes(const TRecord& r, std::string_view state) {
    std::string s = kMagic;
    s += '0';
    s += '\x1B';
    put32(s, static_cast<uint32_t>(21 + r.info1.size() + r.info2.size() + r.info3.size()));
    put32(s, static_cast<uint32_t>(r.time));
    put32(s, static_cast<uint32_t>(r.playTime));
    s += static_cast<char>(r.saveCount & 0xFF);
    s += static_cast<char>(r.saveCount >> 8);
    put32(s, static_cast<uint32_t>(r.code1));
    put32(s, static_cast<uint32_t>(r.code2));
    for (const std::string* t : {&r.info1, &r.info2, &r.info3}) {
        s += *t;
        s += '\0';
    }
    s += state;
    return s;
}

bool g2ReadSaveRecord(std::string_view file, TRecord& r) {
    Reader in(file);
    uint32_t length, time, playTime, c1, c2;
    uint16_t count;
    if (!in.header() || !in.u32(length) || !in.u32(time) || !in.u32(playTime) || !in.u16(count) || !in.u32(c1) ||
        !in.u32(c2))
        return false;
    TRecord out;
    out.fileName = r.fileName;
    out.time = time;
    out.playTime = static_cast<int32_t>(playTime);
    out.saveCount = count;
    out.code1 = static_cast<int32_t>(c1);
    out.code2 = static_cast<int32_t>(c2);
    if (!in.text(out.info1) || !in.text(out.info2) || !in.text(out.info3)) return false;
    r = std::move(out);
    return true;
}

bool g2SaveStateOffset(std::string_view file, size_t& offset) {
    Reader in(file);
    uint32_t length;
    if (!in.header() || !in.u32(length)) return false;
    if (length > file.size() - in.pos()) return false;
    offset = in.pos() + length;
    return true;
}

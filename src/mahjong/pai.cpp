#include "mahjong/pai.h"

namespace mahjong {

std::vector<uint8_t> TPai::toBytes() const {
    std::vector<uint8_t> out;
    out.reserve(4);
    appendTo(out);
    return out;
}

void TPai::appendTo(std::vector<uint8_t>& out) const {
    out.push_back(static_cast<uint8_t>(kind & 0xFF));
    out.push_back(static_cast<uint8_t>(state & 0xFF));
    out.push_back(static_cast<uint8_t>((red ? 1 : 0) | (turned ? 2 : 0)));
    out.push_back(0);
}

size_t TPai::read(const uint8_t* bytes, size_t length) {
    if (bytes == nullptr || length < size()) return 0;
    const int k = static_cast<int8_t>(bytes[0]);
    const int s = static_cast<int8_t>(bytes[1]);
    const bool kindOk = k >= 0 && k <= PAI_NONE;
    kind = kindOk ? k : PAI_NONE;
    state = (kindOk && s >= PS_FREE && s <= PS_STATE_MAX) ? s : PS_FREE;
    red = (bytes[2] & 1) ? 1 : 0;
    turned = (bytes[2] & 2) ? 1 : 0;
    return 4;
}

}  // namespace mahjong

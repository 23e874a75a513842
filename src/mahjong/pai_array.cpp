#include "mahjong/pai_array.h"

#include <algorithm>

namespace mahjong {

bool TPaiArray::remove(const TPai& pai, bool onlyFree) {
    for (auto it = begin(); it != end(); ++it) {
        if (isSamePai(*it, pai) && (!onlyFree || it->state == PS_FREE)) {
            erase(it);
            return true;
        }
    }
    return false;
}

void TPaiArray::sort() { std::stable_sort(begin(), end(), lessPai); }

void TPaiArray::sortAlt() {
    std::stable_sort(begin(), end(), [](const TPai& a, const TPai& b) {
        const bool aFree = a.state == PS_FREE;
        const bool bFree = b.state == PS_FREE;
        if (aFree != bFree) return !aFree;
        if (!aFree) return false;
        return lessPai(a, b);
    });
}

size_t TPaiArray::setNextFree(size_t position, int state) {
    for (size_t i = position; i < size(); ++i) {
        if ((*this)[i].state == PS_FREE) {
            (*this)[i].state = state;
            return i + 1;
        }
    }
    return size();
}

}  // namespace mahjong

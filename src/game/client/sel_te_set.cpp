#include "game/client/sel_te_set.h"

#include <algorithm>

namespace game::client {

void TSelTeSet::add(int mode, int key, const TCandidate& set) {
    if (set.empty()) return;
    auto it = sets_.find(key);
    if (it == sets_.end()) {
        sets_[key].push_back(set);
        return;
    }
    if (mode == 1) return;
    auto& list = it->second;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const TCandidate& c) { return c.empty() || c.front() != set.front(); }),
               list.end());
    list.push_back(set);
}

const std::vector<TSelTeSet::TCandidate>& TSelTeSet::at(int key) const {
    static const std::vector<TCandidate> none;
    auto it = sets_.find(key);
    return it == sets_.end() ? none : it->second;
}

}  // namespace game::client

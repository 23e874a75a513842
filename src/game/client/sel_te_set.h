#pragma once
// The candidates of a tile choice: under a key (a hand index) the list of candidates that hold
// it, each a list of hand indices.
#include <map>
#include <vector>

namespace game::client {

class TSelTeSet {
public:
    using TCandidate = std::vector<int>;

    virtual ~TSelTeSet() = default;

    // Enters the candidate under the key. An empty candidate adds nothing. A new key starts its
    // list with it. On a key already present, mode 1 changes nothing; any other mode keeps only
    // the candidates that begin with the new one's first index and appends the new one.
    virtual void add(int mode, int key, const TCandidate& set);

    bool has(int key) const { return sets_.count(key) != 0; }
    // The candidates under the key; empty when the key is absent.
    const std::vector<TCandidate>& at(int key) const;
    bool empty() const { return sets_.empty(); }
    void clear() { sets_.clear(); }
    const std::map<int, std::vector<TCandidate>>& sets() const { return sets_; }

private:
    std::map<int, std::vector<TCandidate>> sets_;
};

}  // namespace game::client

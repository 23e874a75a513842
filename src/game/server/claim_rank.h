#pragma once
// Ranking of the replies to a discard (C_SUTE) and to a kan (C_KAN). The server keeps the replies
// in arrival order, sorts them with one of the two orderings below and acts on the first.
#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <vector>

#include "game/wire.h"

namespace game {
class TPacket;
class TPacket_C_Sute;
class TPacket_C_Kan;
}  // namespace game

namespace game::server {

// Discard replies: ron first; kan and pon next, tying with each other; chi after them;
// no claim last. A word outside those five never comes before another reply.
bool suteClaimBefore(u32 ca, u32 cb);
// Kan replies: a ron on the kan tile comes first; every other pair ties.
bool kanClaimBefore(u32 ca, u32 cb);

// Insertion sort on a "comes before" test: replies that tie keep their arrival order. Written
// out rather than left to the library because the discard ordering is not a strict weak order
// once an unexpected claim word takes part, and the result must still be well defined.
template <class T, class Before>
void insertionSortReplies(std::vector<T>& v, Before before) {
    for (std::size_t i = 1; i < v.size(); ++i) {
        T val = v[i];
        std::size_t j = i;
        if (before(val, v[0])) {
            // Goes to the front outright, as the library's insertion step does.
            for (; j > 0; --j) v[j] = v[j - 1];
            v[0] = val;
            continue;
        }
        while (j > 1 && before(val, v[j - 1])) {
            v[j] = v[j - 1];
            --j;
        }
        v[j] = val;
    }
}

void sortSuteReplies(std::vector<boost::shared_ptr<TPacket_C_Sute>>& replies);
void sortKanReplies(std::vector<boost::shared_ptr<TPacket_C_Kan>>& replies);

// The same over the server's list of decoded replies, as the round machine collects them. The
// claim word of a C_SUTE or C_KAN is compared; any other entry (or none) counts as the word 0.
u32 claimOf(const boost::shared_ptr<TPacket>& reply);
void sortSuteReplies(std::vector<boost::shared_ptr<TPacket>>& replies);
void sortKanReplies(std::vector<boost::shared_ptr<TPacket>>& replies);

}  // namespace game::server

#include "game/server/claim_rank.h"

#include "game/packets_c.h"

namespace game::server {

bool suteClaimBefore(u32 ca, u32 cb) {
    if (ca == cb) return false;
    switch (ca) {
        case CLAIM_RON:
            return true;
        case CLAIM_KAN:
        case CLAIM_PON:
            return cb == CLAIM_TI || cb == CLAIM_NONE;
        case CLAIM_TI:
            return cb == CLAIM_NONE;
        default:
            return false;
    }
}

bool kanClaimBefore(u32 ca, u32 cb) { return ca != cb && ca == CLAIM_RON; }

void sortSuteReplies(std::vector<boost::shared_ptr<TPacket_C_Sute>>& replies) {
    insertionSortReplies(replies,
                         [](const boost::shared_ptr<TPacket_C_Sute>& a, const boost::shared_ptr<TPacket_C_Sute>& b) {
                             return suteClaimBefore(a->claim, b->claim);
                         });
}

void sortKanReplies(std::vector<boost::shared_ptr<TPacket_C_Kan>>& replies) {
    insertionSortReplies(replies,
                         [](const boost::shared_ptr<TPacket_C_Kan>& a, const boost::shared_ptr<TPacket_C_Kan>& b) {
                             return kanClaimBefore(a->claim, b->claim);
                         });
}

u32 claimOf(const boost::shared_ptr<TPacket>& reply) {
    if (auto sute = boost::dynamic_pointer_cast<TPacket_C_Sute>(reply)) return sute->claim;
    if (auto kan = boost::dynamic_pointer_cast<TPacket_C_Kan>(reply)) return kan->claim;
    return 0;
}

void sortSuteReplies(std::vector<boost::shared_ptr<TPacket>>& replies) {
    insertionSortReplies(replies, [](const boost::shared_ptr<TPacket>& a, const boost::shared_ptr<TPacket>& b) {
        return suteClaimBefore(claimOf(a), claimOf(b));
    });
}

void sortKanReplies(std::vector<boost::shared_ptr<TPacket>>& replies) {
    insertionSortReplies(replies, [](const boost::shared_ptr<TPacket>& a, const boost::shared_ptr<TPacket>& b) {
        return kanClaimBefore(claimOf(a), claimOf(b));
    });
}

}  // namespace game::server

// Ranking of the replies to a discard and to a kan.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/packets_c.h"
#include "game/server/claim_rank.h"

using namespace game;
using namespace game::server;

namespace {

using SuteList = std::vector<boost::shared_ptr<TPacket_C_Sute>>;
using KanList = std::vector<boost::shared_ptr<TPacket_C_Kan>>;

SuteList sute(std::initializer_list<std::pair<int, u32>> replies) {
    SuteList out;
    for (auto [seat, claim] : replies)
        out.emplace_back(new TPacket_C_Sute(static_cast<u8>(seat), claim, mahjong::TPai(4)));
    return out;
}

KanList kan(std::initializer_list<std::pair<int, u32>> replies) {
    KanList out;
    for (auto [seat, claim] : replies)
        out.emplace_back(new TPacket_C_Kan(static_cast<u8>(seat), claim, mahjong::TPai(4), 7));
    return out;
}

template <class List>
std::vector<int> seatsOf(const List& l) {
    std::vector<int> out;
    for (const auto& r : l) out.push_back(r->seat);
    return out;
}

// The priority written down independently of the ordering: lower acts first.
int suteRank(u32 claim) {
    switch (claim) {
        case CLAIM_RON:
            return 0;
        case CLAIM_KAN:
        case CLAIM_PON:
            return 1;
        case CLAIM_TI:
            return 2;
        default:
            return 3;
    }
}

const u32 kWords[] = {CLAIM_RON, CLAIM_KAN, CLAIM_PON, CLAIM_TI, CLAIM_NONE};

}  // namespace

TEST(ClaimRank, DiscardRepliesOfTheKnownCases) {
    auto a = sute({{1, CLAIM_NONE}, {2, CLAIM_PON}, {3, CLAIM_RON}});
    sortSuteReplies(a);
    EXPECT_EQ(seatsOf(a), (std::vector<int>{3, 2, 1}));

    auto b = sute({{1, CLAIM_PON}, {2, CLAIM_KAN}});  // pon and kan tie: the first to arrive wins
    sortSuteReplies(b);
    EXPECT_EQ(seatsOf(b), (std::vector<int>{1, 2}));
    auto b2 = sute({{2, CLAIM_KAN}, {1, CLAIM_PON}});
    sortSuteReplies(b2);
    EXPECT_EQ(seatsOf(b2), (std::vector<int>{2, 1}));

    auto c = sute({{1, CLAIM_TI}, {2, CLAIM_NONE}, {3, CLAIM_NONE}});
    sortSuteReplies(c);
    EXPECT_EQ(seatsOf(c), (std::vector<int>{1, 2, 3}));

    auto d = sute({{0, CLAIM_NONE}, {1, CLAIM_RON}, {2, CLAIM_TI}, {3, CLAIM_RON}});  // two rons keep arrival
    sortSuteReplies(d);
    EXPECT_EQ(seatsOf(d), (std::vector<int>{1, 3, 2, 0}));

    SuteList empty;
    sortSuteReplies(empty);
    EXPECT_TRUE(empty.empty());
}

TEST(ClaimRank, KanRepliesOnlyLiftARon) {
    auto a = kan({{1, CLAIM_NONE}, {2, CLAIM_RON}, {3, CLAIM_NONE}});
    sortKanReplies(a);
    EXPECT_EQ(seatsOf(a), (std::vector<int>{2, 1, 3}));

    auto b = kan({{0, CLAIM_PON}, {1, CLAIM_NONE}, {2, CLAIM_RON}, {3, CLAIM_RON}});
    sortKanReplies(b);
    EXPECT_EQ(seatsOf(b), (std::vector<int>{2, 3, 0, 1}));
}

TEST(ClaimRank, EveryPairAgainstAnIndependentPriority) {
    for (u32 x : kWords) {
        for (u32 y : kWords) {
            SCOPED_TRACE(testing::Message() << std::hex << x << " then " << y);
            EXPECT_EQ(suteClaimBefore(x, y), suteRank(x) < suteRank(y));
            EXPECT_EQ(kanClaimBefore(x, y), x == CLAIM_RON && y != CLAIM_RON);

            auto l = sute({{0, x}, {1, y}});
            sortSuteReplies(l);
            EXPECT_EQ(seatsOf(l), suteRank(y) < suteRank(x) ? (std::vector<int>{1, 0}) : (std::vector<int>{0, 1}));

            auto k = kan({{0, x}, {1, y}});
            sortKanReplies(k);
            const bool lift = y == CLAIM_RON && x != CLAIM_RON;
            EXPECT_EQ(seatsOf(k), lift ? (std::vector<int>{1, 0}) : (std::vector<int>{0, 1}));
        }
    }
}

TEST(ClaimRank, EveryFourSeatListIsAStableSortByPriority) {
    // 5^4 lists of four replies: the result is the arrival order stably sorted by priority.
    for (int code = 0; code < 625; ++code) {
        std::vector<std::pair<int, u32>> in;
        for (int s = 0, c = code; s < 4; ++s, c /= 5) in.push_back({s, kWords[c % 5]});
        SuteList l;
        for (auto [s, w] : in) l.emplace_back(new TPacket_C_Sute(static_cast<u8>(s), w, mahjong::TPai(4)));
        sortSuteReplies(l);
        auto expect = in;
        std::stable_sort(expect.begin(), expect.end(),
                         [](const auto& a, const auto& b) { return suteRank(a.second) < suteRank(b.second); });
        std::vector<int> want;
        for (auto [s, w] : expect) want.push_back(s);
        EXPECT_EQ(seatsOf(l), want) << code;
    }
}

TEST(ClaimRank, AnUnexpectedWordNeverComesFirstButARonPassesIt) {
    const u32 odd = 0x40;
    for (u32 w : kWords) {
        SCOPED_TRACE(w);
        EXPECT_FALSE(suteClaimBefore(odd, w));
        EXPECT_EQ(suteClaimBefore(w, odd), w == CLAIM_RON);
        auto l = sute({{0, odd}, {1, w}});
        sortSuteReplies(l);
        EXPECT_EQ(l.front()->seat, w == CLAIM_RON ? 1 : 0);
    }
    // Whatever the mix, the sort ends and keeps every reply.
    auto mixed = sute({{0, 0x12345}, {1, CLAIM_TI}, {2, 0}, {3, CLAIM_PON}, {4, CLAIM_RON}});
    sortSuteReplies(mixed);
    auto s = seatsOf(mixed);
    std::sort(s.begin(), s.end());
    EXPECT_EQ(s, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(mixed.front()->seat, 4);
}

TEST(ClaimRank, TheServersListOfDecodedReplies) {
    // The round machine keeps its replies as plain packets: the claim words still decide.
    std::vector<boost::shared_ptr<TPacket>> l;
    l.emplace_back(new TPacket_C_Sute(1, CLAIM_TI, mahjong::TPai(4)));
    l.emplace_back(new TPacket_C_Sute(2, CLAIM_NONE, mahjong::TPai(4)));
    l.emplace_back(new TPacket_C_Sute(3, CLAIM_PON, mahjong::TPai(4)));
    l.emplace_back(new TPacket_C_Sute(0, CLAIM_RON, mahjong::TPai(4)));
    sortSuteReplies(l);
    std::vector<int> order;
    for (const auto& p : l) order.push_back(boost::dynamic_pointer_cast<TPacket_C_Sute>(p)->seat);
    EXPECT_EQ(order, (std::vector<int>{0, 3, 1, 2}));

    std::vector<boost::shared_ptr<TPacket>> k;
    k.emplace_back(new TPacket_C_Kan(1, CLAIM_NONE, mahjong::TPai(4), 7));
    k.emplace_back(new TPacket_C_Kan(2, CLAIM_RON, mahjong::TPai(4), 7));
    k.emplace_back(new TPacket_C_Deal);  // not a claim: the word 0
    sortKanReplies(k);
    EXPECT_EQ(boost::dynamic_pointer_cast<TPacket_C_Kan>(k[0])->seat, 2);
    EXPECT_EQ(claimOf(k[2]), 0u);
    EXPECT_EQ(claimOf(boost::shared_ptr<TPacket>()), 0u);
}

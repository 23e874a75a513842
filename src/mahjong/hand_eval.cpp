#include "mahjong/hand_eval.h"

#include <algorithm>
#include <map>

#include "mahjong/player.h"
#include "mahjong/table.h"

namespace mahjong {

const TRatingProfile kFreePlayProfiles[9] = {
    {16, 16, 16, 0, 2, 2, 4, 2, 4, 2, 0, 1},   {16, 16, 16, 0, 2, 8, 8, 6, 0, 2, 12, 1},
    {48, 8, 8, 2, 2, 4, 8, 4, 2, 2, 60, 0},    {8, 32, 48, 2, 2, 2, 4, 2, 8, 8, 192, 1},
    {8, 32, 16, 2, 2, 2, 4, 2, 8, 8, 192, 0},  {16, 16, 8, 2, 2, 2, 4, 2, 16, 16, 3, 1},
    {16, 16, 8, 2, 2, 2, 4, 6, 16, 16, 15, 0}, {4, 48, 48, 0, 2, 2, 4, 2, 4, 4, 195, 0},
    {16, 16, 16, 8, 2, 2, 2, 2, 8, 16, 48, 1},
};

const int kFreePlayProfileIndex[15] = {4, 2, 0, 3, 2, 0, 6, 2, 0, 2, 8, 4, 1, 5, 5};

const TRatingProfile kNetworkProfiles[9] = {
    {48, 16, 16, 2, 4, 2, 12, 6, 4, 2, 0, 0},  {16, 16, 16, 0, 2, 2, 4, 2, 4, 2, 0, 0},
    {4, 48, 48, 0, 2, 6, 4, 2, 4, 4, 195, 1},  {16, 16, 16, 2, 2, 2, 4, 2, 12, 8, 51, 1},
    {16, 32, 32, 4, 0, 2, 4, 2, 12, 8, 48, 1}, {16, 16, 16, 16, 2, 2, 4, 2, 8, 2, 192, 1},
    {32, 16, 16, 0, 2, 4, 4, 6, 4, 2, 12, 1},  {32, 16, 16, 0, 2, 2, 4, 2, 4, 2, 12, 1},
    {48, 32, 32, 0, 2, 4, 12, 4, 8, 2, 0, 0},
};

const TRatingProfile kDefaultRatingProfile = kFreePlayProfiles[0];

namespace {

constexpr int kMaxSearchedTiles = 14;

std::map<int, TRatingProfile>& profileTable() {
    static std::map<int, TRatingProfile> table;
    return table;
}

bool isRunState(int state) {
    return (state >= PS_TI_LOW && state <= PS_TI_HIGH) || (state >= PS_SEQ_LOW && state <= PS_SEQ_HIGH);
}

}  // namespace

void setRatingProfile(int key, const TRatingProfile& profile) { profileTable()[key] = profile; }

const TRatingProfile& ratingProfile(int key) {
    const auto& table = profileTable();
    const auto it = table.find(key);
    return it == table.end() ? kDefaultRatingProfile : it->second;
}

bool hasRatingProfile(int key) { return profileTable().count(key) != 0; }

void clearRatingProfiles() { profileTable().clear(); }

void installRatingFactory(TTable& table, TRandom* random) {
    table.ratingFactory = [random](const TRule& rule, TPlayer& player) {
        return boost::shared_ptr<TRating>(new TRating(rule, player, random));
    };
}

TRating::TRating(const TRule& rule, TPlayer& player, TRandom* random)
    : rule_(&rule), player_(&player), random_(random) {}

int TRating::getBest() {
    TRandom& rnd = random_ ? *random_ : ownRandom_;
    int bestIndex = -1;
    int maximum = 0;
    unsigned ties = 0;
    for (size_t i = 0; i < ratings_.size(); ++i) {
        // A tile of a called set can never be discarded, whatever it was rated.
        if (i < working_.size() && !working_[i].isFree()) continue;
        const int r = ratings_[i];
        if (bestIndex < 0 || r > maximum) {
            maximum = r;
            bestIndex = static_cast<int>(i);
            ties = 0;
        } else if (r == maximum) {
            ++ties;
            if (rnd.next() % (ties + 1) == 0) bestIndex = static_cast<int>(i);
        }
    }
    return bestIndex;
}

void TRating::setProfile(int key) {
    profileKey_ = key;
    strategy_ = RS_NONE;
}

void TRating::decideStrategy(const TPaiArray* tiles) {
    const TPaiArray& t = tiles ? *tiles : player_->hand;
    int perClass[9] = {};
    bool setIn[9] = {};
    int simples = 0, terminalSide = 0, honours = 0;
    int freeCount[PAI_KIND_COUNT] = {};
    for (const TPai& p : t) {
        if (!isKindInHandRange(p.kind)) continue;
        const int cls = kindClass(p.kind);
        ++perClass[cls];
        const int n = kindNumber(p.kind);
        if (n >= 2 && n <= 8) ++simples;
        if ((n >= 1 && n <= 3) || n >= 7) ++terminalSide;
        if (isHonourKind(p.kind)) ++honours;
        if (p.state >= PS_TI_LOW && p.state <= PS_KAKAN) setIn[cls] = true;
        if (p.state == PS_FREE) ++freeCount[p.kind];
    }
    int pairs = 0, triplets = 0;
    for (int c : freeCount) {
        if (c == 2) ++pairs;
        if (c == 3) ++triplets;
    }
    // A set in one suit rules the other two out of a flush.
    int flush = 0, flushTiles = 0;
    for (int cls = PC_MAN; cls <= PC_PIN; ++cls) {
        bool candidate = true;
        for (int other = PC_MAN; other <= PC_PIN; ++other)
            if (other != cls && setIn[other]) candidate = false;
        if (candidate && perClass[cls] > flushTiles) {
            flush = cls;
            flushTiles = perClass[cls];
        }
    }
    const int ff = getFlushField(), sf = getSimplesField(), tf = getTerminalsField(), pf = getPairsField();
    if (ff != 0) flushClass_ = flush;
    if (ff != 0 && 1 + 2 * ff <= honours / 2 + flushTiles) strategy_ = RS_FLUSH;
    if (sf != 0 && 3 + 2 * sf <= simples) strategy_ = RS_SIMPLES;
    if (tf != 0 && 3 + 2 * tf <= honours / 2 + terminalSide) strategy_ = RS_TERMINALS;
    if (pf != 0 && 1 + pf <= pairs + triplets) strategy_ = RS_PAIRS;
}

int TRating::rateDiscards(const TPaiArray* tiles) {
    working_ = tiles ? *tiles : player_->hand;
    ratings_.clear();
    int top = 0;
    for (size_t i = 0; i < working_.size(); ++i) {
        if (working_[i].state != PS_FREE) {
            ratings_.push_back(0);
            continue;
        }
        const TPai out = working_[i];
        working_.erase(working_.begin() + static_cast<std::ptrdiff_t>(i));
        const int r = rateHand();
        working_.insert(working_.begin() + static_cast<std::ptrdiff_t>(i), out);
        ratings_.push_back(r);
        top = std::max(top, r);
    }
    return top;
}

int TRating::rate(const TPaiArray* tiles) {
    working_ = tiles ? *tiles : player_->hand;
    return rateHand();
}

int TRating::getKindPenalty(int kind) const {
    const TTable* table = player_->table;
    if (!table) return player_->getDanger(kind);
    int sum = 0;
    for (const auto& p : table->seats)
        if (p) sum += p->getDanger(kind);
    return sum;
}

void TRating::loadStyle() {
    style_ = ratingProfile(profileKey_);
    seatWind_ = player_->seatWind();
    roundWind_ = player_->roundWind();
    openTanyao_ = rule_->openTanyao;
}

bool TRating::isValueTile(int kind) const {
    return isDragonKind(kind) || kind == PAI_EAST + seatWind_ || kind == PAI_EAST + roundWind_;
}

int TRating::setTileValue(int kind, int state) const {
    const int n = kindNumber(kind);
    const bool honour = isHonourKind(kind);
    const bool flushKeeps = kindClass(kind) == flushClass_ || honour;
    const bool openSets = static_cast<uint8_t>(style_[11]) != 0;
    if (isRunState(state)) {
        const bool called = state <= PS_TI_HIGH;
        int v = called && !openSets ? 0 : style_[0];
        const int s = called ? n - state + PS_TI_LOW : n - state + PS_SEQ_LOW;
        switch (strategy_) {
            case RS_NONE:
                if (called) v = 0;
                break;
            case RS_FLUSH:
                if (kindClass(kind) != flushClass_) v = 0;
                break;
            case RS_SIMPLES:
                if (s == 1 || s == 7 || (called && !openTanyao_)) v = 0;
                break;
            case RS_TERMINALS:
                if (s >= 2 && s <= 6) v = 0;
                break;
            case RS_PAIRS:
                v = 0;
                break;
            default:
                break;
        }
        return v;
    }
    if (state == PS_PON || state == PS_ANKO) {
        const bool open = state == PS_PON;
        int v = open && !openSets ? 0 : style_[1];
        switch (strategy_) {
            case RS_NONE:
                if (open && !(((style_[10] >> 8) & 3) != 0 && isValueTile(kind))) v = 0;
                break;
            case RS_FLUSH:
                if (!flushKeeps) v = 0;
                break;
            case RS_SIMPLES:
                if (n == 1 || n == 9 || honour || (open && !openTanyao_)) v = 0;
                break;
            case RS_TERMINALS:
                if (n >= 2 && n <= 8) v = 0;
                break;
            default:
                break;
        }
        return v;
    }
    if (state >= PS_ANKAN && state <= PS_KAKAN) {
        const bool open = state != PS_ANKAN;
        int v = open && !openSets ? 0 : style_[2];
        switch (strategy_) {
            case RS_FLUSH:
                if (!flushKeeps) v = 0;
                break;
            case RS_SIMPLES:
                if (n == 1 || n == 9 || honour) v = 0;
                break;
            case RS_TERMINALS:
                if (n >= 2 && n <= 8) v = 0;
                break;
            default:
                break;
        }
        return v;
    }
    return 0;  // the pair, and any state the search never gives
}

int TRating::leftoverValue(const int8_t* free) const {
    const int f3 = style_[3], f4 = style_[4], f5 = style_[5], f6 = style_[6], f7 = style_[7], f8 = style_[8],
              f9 = style_[9];
    int sum = 0;
    for (int k = 0; k < PAI_KIND_COUNT; ++k) {
        const int c = free[k];
        if (c <= 0) continue;
        const int n = kindNumber(k);
        int w;
        if (n != 0) {
            w = f5 * (c - 1) + (n <= 3 ? f3 >> (n - 1) : n <= 6 ? f4 : f3 >> (9 - n));
            if (n > 2) w += f7 * free[k - 2] * c;
            if (n > 1) w += f6 * free[k - 1] * c;
            if (n < 8) w += f7 * free[k + 2] * c;
            if (n < 9) w += f6 * free[k + 1] * c;
        } else {
            w = f8 * (c - 1);
            if (isDragonKind(k)) w += f9;
            if (isWindKind(k)) {
                if (k == PAI_EAST + seatWind_) w += f9;
                if (k == PAI_EAST + roundWind_) w += f9;
            }
        }
        switch (strategy_) {
            case RS_FLUSH:
                if (kindClass(k) != flushClass_ && !isHonourKind(k)) w /= 8;
                break;
            case RS_SIMPLES:
                if (n < 2 || n > 8) w /= 8;
                break;
            case RS_TERMINALS:
                if (n >= 4 && n <= 6) w /= 8;
                break;
            case RS_PAIRS:
                if (c < 2) w /= 8;
                break;
            default:
                break;
        }
        sum += w;
    }
    return sum;
}

int TRating::fixedValue(const TPaiArray& tiles) const {
    int sum = 0;
    for (const TPai& t : tiles) {
        if (!isKindInHandRange(t.kind)) continue;
        sum -= getKindPenalty(t.kind) / 100;
        if (t.state != PS_FREE) sum += setTileValue(t.kind, t.state);
    }
    return sum;
}

void TRating::search(TNode& node, int fixed, int fromKind, int fromType) {
    best_ = std::max(best_, fixed + leftoverValue(node.free));
    // Sets are taken in ascending (kind, triplet before run) order only: the score depends on
    // which sets were taken, never on their order, so no combination is scored twice.
    for (int k = fromKind; k < PAI_KIND_COUNT; ++k) {
        if (node.free[k] <= 0) continue;
        if (node.free[k] >= 3 && !(k == fromKind && fromType > 0)) {
            const int state = k == openTripletKind_ ? PS_PON : PS_ANKO;
            node.free[k] = static_cast<int8_t>(node.free[k] - 3);
            search(node, fixed + 3 * setTileValue(k, state), k, 0);
            node.free[k] = static_cast<int8_t>(node.free[k] + 3);
        }
        const int n = kindNumber(k);
        if (n >= 1 && n <= 7 && node.free[k + 1] > 0 && node.free[k + 2] > 0) {
            --node.free[k];
            --node.free[k + 1];
            --node.free[k + 2];
            const int v =
                setTileValue(k, PS_SEQ_LOW) + setTileValue(k + 1, PS_SEQ_MID) + setTileValue(k + 2, PS_SEQ_HIGH);
            search(node, fixed + v, k, 1);
            ++node.free[k];
            ++node.free[k + 1];
            ++node.free[k + 2];
        }
    }
}

int TRating::rateHand() {
    best_ = 0;
    const TJudge reading(player_, TPai(), WS_TUMO, &working_);
    evaluate(reading);
    return best_;
}

void TRating::evaluate(const TJudge& reading) {
    loadStyle();
    openTripletKind_ = isTumoSource(reading.source) ? -1 : reading.pai.kind;
    TNode node{};
    int freeTiles = 0;
    for (const TPai& t : reading.hand) {
        if (t.state == PS_FREE && isKindInHandRange(t.kind) && node.free[t.kind] < 100) {
            ++node.free[t.kind];
            ++freeTiles;
        }
    }
    const int fixed = fixedValue(reading.hand);
    // A hand holds at most 14 free tiles. A larger one only comes from a damaged game; it is
    // scored as it stands, since taking sets out of it could take longer than any turn lasts.
    if (freeTiles > kMaxSearchedTiles) {
        best_ = std::max(best_, fixed + leftoverValue(node.free));
        return;
    }
    search(node, fixed, 0, 0);
}

void TRating::tryTriplet(const TJudge& reading, int kind) {
    if (!isKindInHandRange(kind)) return;
    TJudge next(reading);
    const int state = kind == reading.pai.kind && !isTumoSource(reading.source) ? PS_PON : PS_ANKO;
    size_t pos = 0;
    for (int taken = 0; taken < 3; ++taken) {
        while (pos < next.hand.size() && !(next.hand[pos].kind == kind && next.hand[pos].isFree())) ++pos;
        if (pos >= next.hand.size()) return;
        next.hand[pos].state = state;
    }
    next.histogram(true);
    evaluate(next);
}

void TRating::tryRun(const TJudge& reading, int kind) {
    const int n = kindNumber(kind);
    if (n < 1 || n > 7) return;
    TJudge next(reading);
    for (int i = 0; i < 3; ++i) {
        auto it = std::find_if(next.hand.begin(), next.hand.end(),
                               [&](const TPai& t) { return t.kind == kind + i && t.isFree(); });
        if (it == next.hand.end()) return;
        it->state = PS_SEQ_LOW + i;
    }
    next.histogram(true);
    evaluate(next);
}

}  // namespace mahjong

#pragma once
// The yaku checkers. Each looks at one complete reading and pushes the (id, han) entries it
// earns into the reading's yaku list.
#include "mahjong/judge.h"

namespace mahjong {

// The checkers that need the reading's sets: run on a regular reading of four sets and a
// pair, with the count table holding every tile.
void judgeShapeYaku(TJudge& reading);

// The checkers that depend on how and when the hand was won, or that also apply to seven
// pairs and thirteen orphans; ends with the closing step that settles limit hands and the
// win before the first turn. Runs after the shape checkers when both run.
void judgeSituationYaku(TJudge& reading);

// Pushes (43, 4) when the player has discarded and every discard is a terminal or honour
// still in the pond; true when it did.
bool judgeNagashi(TJudge& reading);

}  // namespace mahjong

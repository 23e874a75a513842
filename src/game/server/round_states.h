#pragma once
// The states of the server's round machine, shared between the turn cycle (round.cpp) and the
// discard, call and kan states (discard.cpp), with the checks that hold a seat's answer against
// the server's own table before anything changes.
#include <string>

#include "game/server/mahjong_game.h"
#include "mahjong/player.h"
#include "mahjong/table.h"

namespace game::server {

enum TRoundState : int {
    ST_ROUND_START = 1,
    ST_ROUND_TUMO = 2,
    ST_ROUND_PON = 3,
    ST_ROUND_TI = 4,
    ST_ROUND_KAN = 5,
    ST_ROUND_RINSHAN = 6,
    ST_ROUND_RITI = 7,
    ST_ROUND_SUTE = 8,
    ST_ROUND_NEXT = 10,
    ST_ROUND_AGARI = 11,
    ST_ROUND_END = 12,
};

enum TGamePhase : int {
    ST_SITDOWN = 0,
    ST_SITDOWN_WAIT = 1,
    ST_STARTUP = 20,
    ST_STARTUP_WAIT = 21,
    ST_DEAL = 30,
    ST_DEAL_WAIT = 31,
    ST_ROUND = 40,
    ST_ROUNDRESULT = 50,
    ST_NEXTROUND = 60,
    ST_GAMEEND = 70,
};

// Discard, pon, chi and kan states; player is the player to act.
void roundSute(TTaskMahjongGame& game, mahjong::TPlayer& player);
void roundCall(TTaskMahjongGame& game, mahjong::TPlayer& player, bool pon);
void roundKan(TTaskMahjongGame& game, mahjong::TPlayer& player);

// Position of the first free tile in the hand that is the same tile (kind and red flag), or -1.
int findFreeTile(const mahjong::TPlayer& player, const mahjong::TPai& tile);
// The tile the player discards when its own choice cannot stand: the tile it just drew when that
// is still free in its hand, else its last free tile (after a call); the empty tile for a hand
// without free tiles.
mahjong::TPai fallbackDiscard(const mahjong::TPlayer& player);
// Whether the player may discard this tile now: it holds it free, and after the turn of its
// riichi declaration only the drawn tile.
bool mayDiscard(const mahjong::TPlayer& player, const mahjong::TPai& tile);

void roundError(TTaskMahjongGame& game, const std::string& where, const std::string& what, int seat);

}  // namespace game::server

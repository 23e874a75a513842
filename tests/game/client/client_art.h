#pragma once
// The game's store over a folder holding the generated "mj.pak", with the shared table pictures
// loaded from it, as the program has them; and a human's client seated at a table of four.
#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <vector>

#include "game/client/mahjong_game.h"
#include "game/client/table_sprites.h"
#include "game/packets_s.h"
#include "mj_art.h"
#include "storage/spi.h"
#include "storage/storage.h"
#include "store/surface_maker.h"
#include "support/test_support.h"

struct ArtStore {
    mjtest::TempDir dir;
    TStorageGraph store;
    ArtStore() {
        store.addPlugin(std::make_unique<SpiBmpFile>());
        store.addPlugin(std::make_unique<SpiArgbFile>());
        store.addPlugin(std::make_unique<SpiGceFile>(4));
        store.setSurfaceMaker(new TGraphicsSurfaceMaker, true);
        store.setBaseFolder(dir.str());
        std::string error;
        EXPECT_TRUE(mjart::writeTableArt((dir.path() / "mj.pak").string(), &error)) << error;
        game::client::loadMahjongSprites();
    }
    ~ArtStore() { game::client::releaseMahjongSprites(); }
};

// A suite whose tests share one store of the pictures, made before its first test.
struct WithArt : ::testing::Test {
    static inline ArtStore* art = nullptr;
    static void SetUpTestSuite() { art = new ArtStore; }
    static void TearDownTestSuite() {
        delete art;
        art = nullptr;
    }
};

// The room's messages to a client that is player 0 of four, up to its seat at position `seat`
// (and the start-up and deal after it when asked), then frames enough to take them.
inline void seatClient(game::client::TTaskMahjongGameHuman& client, int seat, bool dealt, int frames) {
    using namespace game;
    const auto push = [&](u32 code, const std::vector<u8>& b) {
        client.pushCmd(SERVER_ID, 0, code, b.empty() ? nullptr : b.data(), static_cast<int>(b.size()));
    };
    push(S_ENTRY, TPacket_S_Entry(0).toBytes());
    for (u8 id = 1; id < 4; ++id)
        push(S_ADDPLAYER, TPacket_S_AddPlayer(id, boost::shared_ptr<TMahjongProfile>(new TMahjongProfile)).toBytes());
    boost::shared_ptr<TMahjongRule> rule(new TMahjongRule);
    rule->setDefault();
    rule->setPlayerNum(4);
    push(S_STARTROOM, TPacket_S_StartRoom(rule).toBytes());
    push(S_STARTGAME, {});
    push(S_SITDOWN, TPacket_S_Sitdown(static_cast<u32>(seat)).toBytes());
    if (dealt) {
        push(S_STARTUP, {});
        push(S_DEAL, TPacket_S_Deal(static_cast<u32>(seat)).toBytes());
    }
    for (int i = 0; i < frames; ++i) client.update();
}

#pragma once
// The game's store over a folder holding the generated "mj.pak", with the shared table pictures
// loaded from it, as the program has them.
#include <gtest/gtest.h>

#include "game/client/table_sprites.h"
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

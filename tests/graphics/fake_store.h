#pragma once
// A resource store for the sprite-set and animation tests: pictures are plain surfaces of a
// size given per name, texts are held in memory, and every request is recorded.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/stream.h"
#include "graphics/image_trans.h"
#include "graphics/surface32.h"
#include "platform/clock.h"
#include "storage/storage.h"

class FakeStore : public TStorageGraph {
public:
    struct Picture {
        int w, h;
        uint32_t colour;
    };
    std::map<std::string, Picture> pictures;
    std::map<std::string, std::string> texts;
    std::vector<std::string> asked;
    std::vector<uint16_t> askedFlags;
    platform::ManualClock* clock = nullptr;  // advanced by costMs per picture load when set
    uint32_t costMs = 0;

    graphics::TSurface32* loadSurfaceWith(const std::string& name, const graphics::TImageTrans* trans, bool) override {
        asked.push_back(name);
        askedFlags.push_back(trans ? trans->flags : 0);
        if (clock) clock->advance(costMs);
        auto it = pictures.find(name);
        if (it == pictures.end()) return nullptr;
        auto* s = new graphics::TSurface32;
        s->createFilled(it->second.w, it->second.h, it->second.colour);
        return s;
    }
    std::unique_ptr<TStream> openStream(const std::string& name) override {
        auto it = texts.find(name);
        if (it == texts.end()) return nullptr;
        auto m = std::make_unique<TMemoryStream>();
        m->write(it->second.data(), static_cast<uint32_t>(it->second.size()));
        m->seek(0, 0);
        return m;
    }
};

#pragma once
// The world the story's pictures are tested in: a resource store whose pictures are plain
// surfaces of one colour and whose texts are held in memory, and an engine host whose clock the
// test moves. Both install themselves while they live.
#include <map>
#include <memory>
#include <string>

#include "framework/stream.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"
#include "script/present/graphic/graphic_host.h"
#include "script/value_exchange.h"
#include "storage/storage.h"

namespace present::testing {

class PictureStore : public TStorageGraph {
public:
    struct Picture {
        int w, h;
        uint32_t colour;
    };
    std::map<std::string, Picture> pictures;
    // Alpha channels of one value (the colour's low byte), by name.
    std::map<std::string, Picture> alphas;
    std::map<std::string, std::string> texts;
    int loads = 0;

    graphics::TAlphaCh* loadAlphaChannel(const std::string& name) override {
        auto it = alphas.find(name);
        if (it == alphas.end()) return nullptr;
        auto* a = new graphics::TAlphaCh;
        a->createFill(it->second.w, it->second.h, static_cast<uint8_t>(it->second.colour));
        return a;
    }

    graphics::TSurface32* loadSurfaceWith(const std::string& name, const graphics::TImageTrans*, bool) override {
        auto it = pictures.find(name);
        if (it == pictures.end()) return nullptr;
        ++loads;
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

class TestHost : public GraphicHost {
public:
    TestHost() { setGraphicHost(this); }
    ~TestHost() override { setGraphicHost(nullptr); }
    uint32_t engineTime() override { return now; }
    void warning(int code, const std::string& text) override { warnings.push_back({code, text}); }
    void imageSeen(const std::string& spec) override { seen.push_back(spec); }

    uint32_t now = 0;
    std::vector<std::pair<int, std::string>> warnings;
    std::vector<std::string> seen;
};

// The bytes an exchange writes.
template <class F>
std::string saveBytes(F&& exchange) {
    TMemoryStream m;
    {
        TValueExchange x(&m, true);
        exchange(x);
    }
    std::string bytes(m.size(), '\0');
    m.seek(0, 0);
    m.read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return bytes;
}

template <class F>
void loadBytes(const std::string& bytes, F&& exchange) {
    TMemoryStream m;
    m.write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    m.seek(0, 0);
    TValueExchange x(&m, false);
    exchange(x);
}

}  // namespace present::testing

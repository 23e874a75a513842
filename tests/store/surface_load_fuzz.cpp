// Feeds arbitrary picture and companion files to the frame's graphics store: whatever the bytes,
// a surface or alpha channel is made whole or not at all.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "graphics/image_trans.h"
#include "graphics/surface32.h"
#include "graphics/surface8.h"
#include "picture_files.h"
#include "storage/storage.h"
#include "store/frame_storage.h"
#include "support/fuzz.h"

namespace {

// The store the frame would make, over a scratch folder removed at exit.
struct Scratch {
    Scratch() : folder(std::filesystem::temp_directory_path() / ("mj-surface-fuzz-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder);
        frameStore.make(true);
        for (auto loader : {TFrameStorage::Loader::Bmp, TFrameStorage::Loader::Argb, TFrameStorage::Loader::Gce,
                            TFrameStorage::Loader::Jpeg, TFrameStorage::Loader::Png})
            frameStore.addLoader(loader, 4);
        store = dynamic_cast<TStorageGraph*>(frameStore.store());
        if (store) store->setBaseFolder(folder.string());
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::filesystem::path folder;
    TStorageForFrame frameStore;
    TStorageGraph* store = nullptr;
};

// Input: a byte choosing where the picture ends and the companion begins, a byte of key flags,
// then the two files.
std::vector<uint8_t> input(const std::vector<uint8_t>& pic, const std::vector<uint8_t>& companion, uint8_t keys) {
    std::vector<uint8_t> out;
    const size_t total = pic.size() + companion.size();
    out.push_back(total ? static_cast<uint8_t>(pic.size() * 255 / total) : 0);
    out.push_back(keys);
    out.insert(out.end(), pic.begin(), pic.end());
    out.insert(out.end(), companion.begin(), companion.end());
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Scratch scratch;
    if (!scratch.store || size < 2) return 0;
    const size_t rest = size - 2;
    const size_t split = rest * data[0] / 255;
    const uint8_t* body = data + 2;
    // New files each time: rewriting one in place makes some file systems flush it to disk.
    std::error_code ec;
    std::filesystem::remove(scratch.folder / "p.bmp", ec);
    std::filesystem::remove(scratch.folder / "pa.bmp", ec);
    picture::write((scratch.folder / "p.bmp").string(), std::vector<uint8_t>(body, body + split));
    picture::write((scratch.folder / "pa.bmp").string(), std::vector<uint8_t>(body + split, body + rest));

    graphics::TImageTrans key;
    key.flags = data[1];
    key.keyColor = 0xFF00FF;
    key.keyIndex = data[1] & 0x0F;
    std::unique_ptr<graphics::TSurface32> s(scratch.store->loadSurfaceWith("p.bmp", &key, true));
    if (s) {
        // Every pixel is readable.
        uint32_t sum = 0;
        for (int32_t y = 0; y < s->height(); ++y)
            for (int32_t x = 0; x < s->width(); ++x) sum += s->getPixel(x, y);
        if (sum == 0x12345678u) s->setTag(sum);
    }
    std::unique_ptr<graphics::TAlphaCh> ch(scratch.store->loadAlphaChannel("pa.bmp"));
    if (ch && ch->width() > 0 && ch->row(ch->height() - 1)[ch->width() - 1] == 0x5A) ch->fill(0);
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    const auto bmp24 = picture::bmp(3, 2, 24, {0xFF00FF, 0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0});
    const auto bmp8 = picture::bmp(3, 2, 8, {0, 40, 80, 120, 160, 255});
    const auto bmp16 = picture::bmp(2, 2, 16, {0x7FFF, 0x001F, 0x03E0, 0x7C00});
    const auto rgb = picture::png(3, 2, true, {0xFF00FF, 0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0});
    const auto grey = picture::png(3, 2, false, {0, 40, 80, 120, 160, 255});
    return {input(bmp24, bmp8, 0),    input(bmp8, bmp24, 1), input(rgb, grey, 0x30),
            input(bmp24, grey, 0x11), input(bmp16, bmp8, 2), input(grey, rgb, 0)};
}

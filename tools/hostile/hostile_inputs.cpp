// hostile_inputs: runs each hostile input the game has been given (bombs, absurd numbers from
// scripts and settings files) through the path the game takes, each in a process of its own, and
// prints what it cost: its result, the peak memory it added and the time it took. Every input is
// meant to stay under 128 MiB and one second; the exit status is 1 when one does not.
//
//   hostile_inputs [--source DIR]   (DIR: the source tree, for the kept reproducer files)
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "framework/profile.h"
#include "gce_writer.h"
#include "picture_bombs.h"
#include "graphics/font.h"
#include "graphics/graphic.h"
#include "graphics/spr_set.h"
#include "graphics/surface32.h"
#include "graphics/text_obj.h"
#include "platform/codepage.h"
#include "platform/headless.h"
#include "platform/path_map.h"
#include "script/core.h"
#include "script/memory.h"
#include "script/memory_map_file.h"
#include "script/present/present_engine.h"
#include "sound/direct_sound.h"
#include "sound/media.h"
#include "sound/ogg_stream.h"
#include "storage/gfl_gce_archive.h"
#include "storage/spi.h"
#include "storage/storage.h"
#include "store/frame_storage.h"
#include "vorbis_encoder.h"

namespace fs = std::filesystem;

namespace {

constexpr double kBudgetMiB = 128, kBudgetSeconds = 1;

struct Cost {
    bool ran = false;  // the child reported (no crash)
    std::string result;
    double peakMiB = 0, seconds = 0;
};

int64_t peakResidentBytes() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6) * 1024;
    return 0;
}

// Runs work in a child (a fresh peak, no history of the others) and measures it there.
Cost measure(const std::function<std::string()>& work) {
    Cost cost;
    int fds[2];
    if (pipe(fds) != 0) return cost;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const int64_t before = peakResidentBytes();
        const auto start = std::chrono::steady_clock::now();
        const std::string result = work();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double mib = static_cast<double>(peakResidentBytes() - before) / (1 << 20);
        char line[256];
        const int n = std::snprintf(line, sizeof line, "%.3f %.4f %s", mib, seconds, result.c_str());
        const ssize_t ignored = write(fds[1], line, static_cast<size_t>(std::max(n, 0)));
        (void)ignored;
        _exit(0);
    }
    close(fds[1]);
    char buf[256] = {};
    const ssize_t got = child > 0 ? read(fds[0], buf, sizeof buf - 1) : -1;
    close(fds[0]);
    int status = 0;
    if (child > 0) waitpid(child, &status, 0);
    char text[200] = {};
    if (got > 0 && std::sscanf(buf, "%lf %lf %199[^\n]", &cost.peakMiB, &cost.seconds, text) >= 2) {
        cost.ran = WIFEXITED(status);
        cost.result = text;
    }
    return cost;
}

bool writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// A memory that lays out a small map whatever map file it is asked for.
class SmallMemory : public TG2Memory {
public:
    bool loadMap(const std::string&) override {
        G2MapImage map;
        for (auto& area : map.areas)
            for (auto& list : area.lists) list.length = 16;
        applyMap(map);
        return true;
    }
};
class Engine : public present::PresentEngine {
public:
    std::unique_ptr<TG2Memory> createMemory() override { return std::make_unique<SmallMemory>(); }
};

struct Row {
    std::string name;
    std::function<std::string()> work;
};

}  // namespace

int main(int argc, char** argv) {
    fs::path source = MJ_SOURCE_DIR;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--source") == 0) source = argv[i + 1];
    // Absolute: some rows move into the scratch folder before they read the source's files.
    source = fs::absolute(source);
    const fs::path scratch = fs::temp_directory_path() / ("hostile_inputs_" + std::to_string(getpid()));
    fs::create_directories(scratch);
    std::vector<Row> rows;

    // Archives: a directory of millions of empty entries, padded with zeros to as many bytes,
    // and the largest directory that opens.
    const fs::path bomb = scratch / "padded.pak", largest = scratch / "largest.pak";
    writeBytes(bomb, gcepack::buildEmptyEntriesArchive(7895160, gcepack::DirectoryKind::Gce3, 7900000));
    writeBytes(largest, gcepack::buildEmptyEntriesArchive(GflGceArchive::kMaxEntries, gcepack::DirectoryKind::Gce3,
                                                          GflGceArchive::kMaxEntries));
    const std::string bombPath = platform::fromOsPath(bomb.string()),
                      largestPath = platform::fromOsPath(largest.string());
    rows.push_back({"archive, 7.9M entries padded: list", [&] {
                        SpiGceFile spi;
                        platform::MemBlock records;
                        return "answer " + std::to_string(spi.GetArchiveInfo(bombPath, 0, 0, records));
                    }});
    rows.push_back({"archive, 7.9M entries padded: find a name", [&] {
                        SpiGceFile spi;
                        SpiFileInfo rec;
                        return "answer " + std::to_string(spi.GetFileInfo(bombPath, 0, "a.bmp", 0, rec));
                    }});
    rows.push_back({"archive, largest directory: list", [&] {
                        SpiGceFile spi;
                        platform::MemBlock records;
                        const int answer = spi.GetArchiveInfo(largestPath, 0, 0, records);
                        return "answer " + std::to_string(answer) + ", " +
                               std::to_string(records.size() / sizeof(SpiFileInfo) - 1) + " records";
                    }});

    // Effects: an hour of silence (8 kHz mono), and five minutes of 44.1 kHz stereo.
    std::fprintf(stderr, "encoding long effects...\n");
    const std::vector<uint8_t> hour = kit::encodeVorbis(std::vector<int16_t>(8000 * 3600), 1, 8000, 0.0f),
                               stereo = kit::encodeVorbis(std::vector<int16_t>(44100 * 2 * 300), 2, 44100, 0.0f);
    auto effect = [](const std::vector<uint8_t>& bytes) {
        platform::headless::useManualAudio(true);
        TDirectSound::createInstance(nullptr, nullptr, 44100, 16, true);
        TOpenOgg open;
        std::unique_ptr<TWave> wave(open.fromBytes(bytes.data(), bytes.size()));
        const bool loaded = wave != nullptr;
        wave.reset();
        TDirectSound::destroyInstance();
        return std::string(loaded ? "loaded" : "refused");
    };
    rows.push_back({"Ogg effect, an hour of 8 kHz mono (" + std::to_string(hour.size() >> 10) + " KiB)",
                    [&] { return effect(hour); }});
    rows.push_back({"Ogg effect, 5 minutes of 44.1 kHz stereo (" + std::to_string(stereo.size() >> 10) + " KiB)",
                    [&] { return effect(stereo); }});

    // Movies: a file claiming a 4094 x 4094 picture, and a movie stretched by a script's
    // rectangle far past an 800 x 600 screen. The first frame.
    const fs::path claims = source / "tests/sound/data/claims_4094_square.avi", small = scratch / "small.avi";
    auto firstFrame = [](const std::string& file, int x, int y, int w, int h) {
        TMedia media;
        if (!media.open(file)) return std::string("refused");
        media.setRect(x, y, w, h);
        media.play();
        TMediaFrameBuffer screen(800, 600);
        return std::string(media.drawFrame(&screen, 0, 0) ? "first frame drawn" : "nothing drawn");
    };
    rows.push_back({"movie claiming 4094 x 4094: first frame",
                    [&] { return firstFrame(platform::fromOsPath(claims.string()), 0, 0, -1, -1); }});
    const bool haveFfmpeg =
        std::system(("ffmpeg -v error -y -f lavfi -i testsrc=duration=1:size=160x120:rate=25 -c:v mpeg4 -an '" +
                     small.string() + "' 2>/dev/null")
                        .c_str()) == 0;
    if (haveFfmpeg) {
        for (const int side : {30000, 100000, 2000000000})
            rows.push_back({"movie in a " + std::to_string(side) + "-square rectangle: first frame",
                            [&, side] { return firstFrame(small.string(), -side / 2, -side / 2, side, side); }});
    }

    // Kit pictures: bombs whose headers claim far more than any screen shows, and the largest
    // pictures let through, each a member of an archive compressed as the kit's pictures are,
    // made into a surface as the screens make their pictures. Each is made and packed alone: the
    // uncompressed ones are hundreds of megabytes.
    std::fprintf(stderr, "making pictures...\n");
    struct Picture {
        std::string name, row;
        std::function<std::vector<uint8_t>()> make;
        bool sizeInRow = false;  // the row names the file's size
    };
    const std::vector<Picture> pictures = {
        {"claims9000.jpg", "JPEG claiming 9000 x 9000, padded to 330 KiB",
         [] { return picturebombs::jpegClaiming(9000, 9000, false, false, 330 << 10); }},
        {"wide.png", "PNG of 16000 x 4000", [] { return picturebombs::blankPng(16000, 4000); }, true},
        {"claims4096full.jpg", "JPEG claiming 4096 x 4096, progressive, full colour",
         [] { return picturebombs::jpegClaiming(4096, 4096, true, true, 64 << 10); }},
        {"claims4096.jpg", "JPEG claiming 4096 x 4096, progressive",
         [] { return picturebombs::jpegClaiming(4096, 4096, true, false, 64 << 10); }},
        {"largest.png", "PNG of 4096 x 4096", [] { return picturebombs::blankPng(4096, 4096); }, true},
        {"square32.bmp", "BMP of 8192 x 8192, 32 bpp", [] { return picturebombs::plainBmp(8192, 8192, 32); }},
        {"wide32.bmp", "BMP of 16384 x 4096, 32 bpp", [] { return picturebombs::plainBmp(16384, 4096, 32); }},
        {"huge1.bmp", "BMP of 65536 x 32768, 1 bpp", [] { return picturebombs::plainBmp(65536, 32768, 1); }},
        {"square.argb", "ARGB of 8192 x 8192", [] { return picturebombs::plainArgb(8192, 8192); }},
        {"wide.argb", "ARGB of 65536 x 1024", [] { return picturebombs::plainArgb(65536, 1024); }},
        {"largest24.bmp", "BMP of 4096 x 4096, 24 bpp", [] { return picturebombs::plainBmp(4096, 4096, 24); }},
        {"toodeep.argb", "ARGB of 4096 x 4096", [] { return picturebombs::plainArgb(4096, 4096); }},
        {"largest.argb", "ARGB of 4096 x 3072", [] { return picturebombs::plainArgb(4096, 3072); }},
    };
    const std::string scratchFolder = platform::fromOsPath(scratch.string());
    gcepack::Options compressed;
    compressed.compressData = true;
    for (const Picture& p : pictures) {
        const fs::path archive = scratch / (p.name + ".pak");
        std::vector<uint8_t> bytes = p.make();
        const size_t size = bytes.size();
        if (size == 0 || !gcepack::writeArchive(archive.string(), {{p.name, std::move(bytes)}}, compressed)) {
            std::fprintf(stderr, "%s could not be made\n", p.name.c_str());
            continue;
        }
        const std::string sizes = (p.sizeInRow ? std::to_string(size >> 10) + " KiB, " : std::string()) +
                                  std::to_string((fs::file_size(archive) + 1023) >> 10) + " KiB stored";
        rows.push_back({p.row + " (" + sizes + "): surface", [scratchFolder, name = p.name] {
                            TStorageForFrame frameStore;
                            frameStore.make(true);
                            // The frame's loaders in the frame's order: the newest is asked first.
                            for (auto loader :
                                 {TFrameStorage::Loader::Bmp, TFrameStorage::Loader::Argb, TFrameStorage::Loader::Gce,
                                  TFrameStorage::Loader::Jpeg, TFrameStorage::Loader::Png})
                                frameStore.addLoader(loader, 4);
                            auto* store = dynamic_cast<TStorageGraph*>(frameStore.store());
                            store->setBaseFolder(scratchFolder);
                            std::unique_ptr<graphics::TSurface32> surface(
                                store->loadSurfaceWith(name + ".pak\\" + name, nullptr, false));
                            return surface ? std::to_string(surface->width()) + " x " +
                                                 std::to_string(surface->height()) + " surface"
                                           : std::string("refused");
                        }});
    }

    // Settings: two billion save records, volumes and text speed out of range.
    const fs::path ini = source / "tests/app/data/hostile_game.ini";
    rows.push_back({"settings with RecordMax=2000000000: start, any save?", [&] {
                        fs::current_path(scratch);
                        Engine engine;
                        TProfile profile;
                        profile.open(platform::fromOsPath(ini.string()), nullptr);
                        engine.status().readProfile(profile);
                        engine.status().useCommonSave = false;
                        TG2Host host;
                        engine.init(&host, nullptr, nullptr);
                        const bool any = engine.core()->hasSaveFile();
                        const std::string answer = std::string(any ? "a save" : "no save") + " in " +
                                                   std::to_string(engine.status().recordMax) + " records";
                        engine.term();
                        return answer;
                    }});

    // Settings files of 64 MiB and of a little under 1 MiB, and one that is a device without
    // end, read for every key of the start-up: the player's six, the window's two and the
    // engine's.
    const fs::path huge = scratch / "huge.ini", large = scratch / "large.ini", endless = scratch / "endless.ini";
    for (const auto& [path, size] : {std::pair{huge, size_t{64} << 20}, {large, (size_t{1} << 20) - 4096}}) {
        std::string text = "[Status]\r\nRightClick=0\r\n";
        while (text.size() < size) text += "; a line that is no key, as many as it takes to fill the file\r\n";
        std::ofstream(path, std::ios::binary) << text;
    }
    fs::create_symlink("/dev/zero", endless);
    auto startUpReads = [](const fs::path& path) {
        Engine engine;
        TProfile profile;
        profile.open(platform::fromOsPath(path.string()), "Status");
        int changed = 0;
        for (const char* key : {"SkipCondition", "MsgBox", "RightClick", "ShioriConfirm", "VoiceClick", "ShowClear"})
            changed += profile.getInt(key, 1) != 1;
        char pos[260];
        profile.getString("WindowPos", pos, sizeof pos, "");
        changed += profile.getInt("Windowed", 1) != 1;
        engine.status().readProfile(profile);
        return std::to_string(changed) + " player setting" + (changed == 1 ? "" : "s") + " read";
    };
    rows.push_back({"settings file of 64 MiB: the start-up's reads", [=] { return startUpReads(huge); }});
    rows.push_back({"settings file of 1 MiB less 4 KiB: the start-up's reads", [=] { return startUpReads(large); }});
    rows.push_back({"settings file linked to /dev/zero: the start-up's reads", [=] { return startUpReads(endless); }});

    // Drawing: dirty rectangles across the whole number range, and a screen-wide font asked
    // for with a huge size and every style.
    rows.push_back({"redraw of dirty rectangles across the number range", [] {
                        graphics::TGraphic screen;
                        screen.create(800, 600, 1);
                        for (int i = 0; i < 20; ++i)
                            screen.invalidateRect(graphics::RECT{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
                        screen.redraw();
                        return std::string("drawn");
                    }});
    rows.push_back({"sprite set zoomed by NaN, infinity and 3e38, drawn", [] {
                        graphics::TGraphic screen;
                        screen.create(800, 600, 1);
                        graphics::TSurface32 picture;
                        picture.createFilled(64, 64, 0xFFFF0000u);
                        graphics::TSprUnitSet set;
                        set.units().resize(1);
                        set.units()[0].setSurface(&picture);
                        for (const float z :
                             {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 3e38f}) {
                            set.setPos(INT32_MIN + 1, INT32_MAX - 1);
                            set.scale(z, z);
                            (void)set.getSize();
                            set.draw(screen);
                        }
                        return std::string("drawn");
                    }});
    rows.push_back({"font of height 100000, every style: one draw", [] {
                        graphics::TGraphic screen;
                        screen.create(800, 600, 1);
                        graphics::TFont font;
                        font.setFlags(0xFFFFFFFFu);
                        font.setAngle(30.0f);
                        font.setHeight(100000);
                        graphics::TTextSprite text;
                        text.setFont(&font);
                        text.setText(platform::toSjis("あA"));
                        text.render();
                        const graphics::TSurface32* s = text.getSurface();
                        return s ? std::to_string(s->width()) + " x " + std::to_string(s->height()) + " drawn"
                                 : std::string("nothing drawn");
                    }});

    std::printf("%-62s %-28s %9s %9s\n", "input", "result", "peak MiB", "seconds");
    bool within = true;
    for (const Row& row : rows) {
        const Cost c = measure(row.work);
        const bool ok = c.ran && c.peakMiB < kBudgetMiB && c.seconds < kBudgetSeconds;
        within = within && ok;
        std::printf("%-62s %-28s %9.1f %9.3f%s\n", row.name.c_str(), c.ran ? c.result.c_str() : "(crashed)", c.peakMiB,
                    c.seconds, ok ? "" : "  OVER BUDGET");
    }
    if (!haveFfmpeg) std::printf("(ffmpeg is not installed: the stretched movies were left out)\n");
    std::printf("%s\n", within ? "every input within 128 MiB and 1 s" : "some input past its budget");
    fs::remove_all(scratch);
    return within ? 0 : 1;
}

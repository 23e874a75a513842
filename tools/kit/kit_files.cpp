// The kit's file list and its writer.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "kit.h"
#include "mj_art.h"

namespace kit {

namespace {

std::string fmt(const char* f, int a) {
    char b[96];
    std::snprintf(b, sizeof b, f, a);
    return b;
}

void pictures(std::vector<KitFile>& out, const std::string& archive, std::initializer_list<std::string> names) {
    for (const std::string& n : names) out.push_back({archive + "\\" + n, Kind::Picture});
}

// Normal and highlighted ("...0.ext", "...1.ext") pictures of a stem.
void pairs(std::vector<KitFile>& out, const std::string& archive, const std::string& stem, const char* ext) {
    pictures(out, archive, {stem + "0" + ext, stem + "1" + ext});
}

void engineButtons(std::vector<KitFile>& out, const std::string& stem) {
    for (const char* s : {"", "_on", "_disable", "_over"})
        out.push_back({"data.pak\\" + stem + s + ".as", Kind::Animation});
}

// Every archive of the kit with its members.
bool archives(std::vector<std::pair<std::string, std::vector<gcepack::Entry>>>& out, std::string* error) {
    std::vector<gcepack::Entry> scripts;
    if (!scriptPakEntries(scripts, error)) return false;
    out.emplace_back("data.pak", dataPakEntries());
    out.emplace_back("sys.pak", sysPakEntries());
    out.emplace_back("mj.pak", mjart::tableArtEntries());
    out.emplace_back("sound.pak", soundPakEntries());
    out.emplace_back("script.pak", std::move(scripts));
    return true;
}

bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string* error) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (f.good() && !bytes.empty()) return true;
    if (error) *error = "cannot write " + path.string();
    return false;
}

}  // namespace

std::vector<KitFile> manifest() {
    std::vector<KitFile> out;
    // Title hub, its menu and the extras' tab row.
    pictures(out, "data.pak", {"cursor.bmp", "15_bgti_00.bmp"});
    for (int i = 0; i < 6; ++i) pairs(out, "sys.pak", fmt("15_menu_%d", i), ".bmp");
    for (int i = 0; i < 3; ++i) pairs(out, "data.pak", fmt("15_spesel%d", i), ".argb");
    pairs(out, "data.pak", "13_syme_06", ".argb");
    // System screen: menu, configuration, save and load pages.
    for (int i = 0; i < 5; ++i) pairs(out, "data.pak", fmt("13_syme_0%d", i), ".argb");
    pictures(out, "data.pak",
             {"11_conbg00.argb", "11_bgsv00.argb", "11_bgld00.argb", "12_kaku_000.argb", "12_kaku_001.argb",
              "12_time_00.argb", "12_file_00.argb", "12_file_01.argb"});
    for (int n = 0; n < 10; ++n) pairs(out, "data.pak", fmt("12_page_0%d", n), ".argb");
    pairs(out, "data.pak", "12_kaku_01", ".argb");
    pairs(out, "data.pak", "12_kaku_02", ".argb");
    for (int b = 1; b <= 3; ++b) pictures(out, "data.pak", {fmt("12_book_%03d.argb", b)});  // the story's chapters
    for (const char* c : {"00", "01", "10", "11", "12", "20", "21", "30", "31", "40", "41"})
        pairs(out, "data.pak", std::string("14_conf_") + c, ".argb");
    // Music room, CG gallery, scene replay.
    pictures(out, "data.pak", {"18_bgbgm_00.bmp", "17_bgomake_01.bmp", "16_bgomake_00.bmp"});
    for (int t = 0; t < kTrackCount; ++t) pairs(out, "data.pak", fmt("18_bgmsel_%02d", t), ".argb");
    for (int q = 0; q < 4; ++q) pairs(out, "data.pak", fmt("17_page_0%d", q), ".argb");
    for (int i = 0; i < 80; ++i) pictures(out, "data.pak", {fmt("17_cgkaiso_%03d.bmp", i)});
    for (int s = 0; s < kSceneCount; ++s) pictures(out, "data.pak", {fmt("16_hkaiso_%03d.bmp", s)});
    // The engine's buttons and wait icons.
    for (const char* b : {"txauto", "txauto_stop", "txskip", "txskip_stop", "txoff", "lgon", "lgup", "lgdown", "lgoff",
                          "lgskip", "lgvoice", "smsave", "smload", "smcfg"})
        engineButtons(out, b);
    for (int k = 1; k <= 8; ++k) engineButtons(out, fmt("smbtn%d", k));
    for (const char* icon : {"line", "page"}) {
        out.push_back({std::string("data.pak\\") + icon + ".as", Kind::Animation});
        for (int frame = 1; frame <= 8; ++frame)
            out.push_back({std::string("data.pak\\") + icon + fmt("%d.as", frame), Kind::Animation});
    }
    // What the story shows.
    pictures(out, "data.pak", {"bg01.bmp", "bg02.bmp", "bg03.bmp", "ch00.argb", "window.argb"});
    for (const StoryCg& cg : storyCgs()) out.push_back({cg.path(), Kind::Picture});
    // Free-play setup.
    pictures(out, "mj.pak",
             {"01_haikei00.bmp", "01_rulechange00.bmp", "01_button_back00.bmp", "01_button_back01.bmp",
              "01_button_option00.bmp", "01_button_option01.bmp", "01_character99.argb", "01_kind00.argb",
              "01_kind01.argb", "01_kuitan00.argb", "01_kuitan01.argb", "01_dora01.argb", "01_dora02.argb"});
    for (const char* stem : {"01_rule_hanchan", "01_rule_tonpu", "01_rule_ari", "01_rule_nashi", "01_button_ok",
                             "01_button_start", "01_button_config"})
        for (int s = 0; s < 3; ++s) pictures(out, "mj.pak", {stem + fmt("%02d.argb", s)});
    for (int c = 0; c < 15; ++c)
        for (int s = 0; s < 3; ++s)
            pictures(out, "mj.pak", {fmt("01_select%02d", c == 14 ? 99 : c) + fmt("%02d.bmp", s)});
    for (int c = 0; c < 14; ++c)
        for (const char* stem : {"01_character", "01_name", "01_preview", "01_prename"})
            pictures(out, "mj.pak", {stem + fmt("%02d.argb", c)});
    // The table's own pictures.
    for (const gcepack::Entry& e : mjart::tableArtEntries())
        if (e.name.compare(0, 3, "01_") != 0) out.push_back({"mj.pak\\" + e.name, Kind::Picture});
    // Sound and music.
    for (const char* s : {"curu.ogg", "curk.ogg", "se01.ogg", "se02.ogg"})
        out.push_back({std::string("sound.pak\\") + s, Kind::Vorbis});
    for (int t = 0; t < kTrackCount; ++t) out.push_back({fmt("bgm\\bgm%02d.ogg", t), Kind::Vorbis});
    out.push_back({"bgm\\lb_se01.ogg", Kind::Vorbis});
    // Scripts and tables.
    out.push_back({"script.pak\\a0001.g2", Kind::Script});
    for (int s = 0; s < kSceneCount; ++s) out.push_back({fmt("script.pak\\hs%02d.g2", s), Kind::Script});
    out.push_back({"script.pak\\main.g2m", Kind::VariableMap});
    out.push_back({"script.pak\\imgdisp.ini", Kind::ImageTable});
    return out;
}

bool writeLooseKit(const std::string& folder, std::string* error) {
    namespace fs = std::filesystem;
    std::vector<std::pair<std::string, std::vector<gcepack::Entry>>> all;
    if (!archives(all, error)) return false;
    for (const auto& [name, entries] : all) {
        std::error_code ec;
        fs::create_directories(fs::path(folder) / name, ec);
        for (const gcepack::Entry& e : entries)
            if (!writeFile(fs::path(folder) / name / e.name, e.data, error)) return false;
    }
    return true;
}

bool writeKit(const std::string& folder, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(fs::path(folder) / "bgm", ec);
    if (ec) {
        if (error) *error = "cannot make " + folder + "/bgm: " + ec.message();
        return false;
    }
    std::vector<std::pair<std::string, std::vector<gcepack::Entry>>> all;
    if (!archives(all, error)) return false;
    for (const auto& [name, entries] : all) {
        gcepack::Options o;
        o.compressData = name != "sound.pak";  // pictures are mostly flat colour; Vorbis does not shrink
        if (!gcepack::writeArchive((fs::path(folder) / name).string(), entries, o, error)) return false;
    }
    for (int t = 0; t < kTrackCount; ++t)
        if (!writeFile(fs::path(folder) / "bgm" / fmt("bgm%02d.ogg", t), musicTrack(t), error)) return false;
    if (!writeFile(fs::path(folder) / "bgm" / "lb_se01.ogg", frameEffect(1), error)) return false;
    // The list of names, for people and scripts that look for a file.
    std::ofstream list(fs::path(folder) / "kit-files.txt", std::ios::binary);
    for (const KitFile& f : manifest()) list << f.name << "\n";
    return true;
}

}  // namespace kit

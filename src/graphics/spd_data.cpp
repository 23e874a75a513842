#include <algorithm>
#include <cstdio>

#include "framework/stream.h"
#include "graphics/profile_reader.h"
#include "graphics/spd.h"
#include "graphics/surface32.h"
#include "storage/storage.h"

namespace graphics {

namespace {

std::string keyOf(const char* format, int32_t i) {
    char key[48];
    std::snprintf(key, sizeof key, format, i);
    return key;
}

int32_t countOf(const TProfileReader& reader, const char* key) {
    return std::clamp(reader.getInt(key, 0), 0, TSpdData::kMaxCount);
}

}  // namespace

TSpdData::~TSpdData() { clear(); }

TSurface32* TSpdData::loadTexture(const std::string& folder, const std::string& spec) {
    if (!source_) return nullptr;
    source_->setFolder(folder);
    return source_->load(spec);
}

bool TSpdData::parseStep(const std::vector<std::string>& pieces, TSpdObj::TUnit& out) {
    using U = TSpdObj::TUnit;
    if (pieces.empty()) return false;
    // Numbers the list leaves out count as 0.
    auto num = [&](size_t i) { return i < pieces.size() ? parseNumber(pieces[i]) : 0; };
    const std::string& c = pieces[0];
    if (c == "end")
        out = U(U::kEnd, 0, 0);
    else if (c == "pause")
        out = U(U::kPause, 0, 0);
    else if (c == "time")
        out = U(U::kTime, num(1), num(2));
    else if (c == "mark")
        out = U(U::kMark, 0, 0);
    else if (c == "until")
        out = U(U::kUntil, 0, 0);
    else if (c == "for")
        out = U(U::kFor, 0, num(1));
    else if (c == "next")
        out = U(U::kNext, 0, 0);
    else if (c == "hide")
        out = U(U::kHide, 0, 0);
    else if (c == "show")
        out = U(U::kShow, 0, 0);
    else if (c == "flag")
        out = U(num(2) != 0 ? U::kFlagOn : U::kFlagOff, 0, num(1));
    else if (c == "blend")
        out = U(U::kBlend, num(2), num(1));
    else if (c == "zoom")
        out = U(U::kZoom, num(3), static_cast<float>(num(1) / 1000.0), static_cast<float>(num(2) / 1000.0));
    else
        return false;
    return true;
}

bool TSpdData::read(TStream& stream, const std::string& folder) {
    TProfileReader reader;
    reader.read(stream);
    reader.setSection("FileInfo");
    if (reader.getString("kind", "") != "WSD") return false;
    const int32_t n = countOf(reader, "numTexture");
    const int32_t c = countOf(reader, "numCharactor");
    const int32_t k = countOf(reader, "numAnimation");
    releaseContents();

    reader.setSection("Texture");
    textures_.assign(static_cast<size_t>(n), nullptr);
    for (int32_t i = 0; i < n; ++i) textures_[i] = loadTexture(folder, reader.getString(keyOf("File%d", i), ""));

    characters_.resize(static_cast<size_t>(c));
    int32_t chipsLeft = kMaxChips;
    std::vector<std::string> pieces;
    for (int32_t j = 0; j < c; ++j) {
        reader.setSection(keyOf("Charactor_%d", j));
        const int32_t m = std::min(countOf(reader, "numChip"), chipsLeft);
        chipsLeft -= m;
        auto& units = characters_[j].units();
        units.resize(static_cast<size_t>(m));
        for (int32_t i = 0; i < m; ++i) {
            pieces.clear();
            if (reader.getList(keyOf("Chip%d", i), pieces) < 7) continue;
            const int32_t t = parseNumber(pieces[0]);
            TSprUnitObj& u = units[i];
            u.setSurface(t >= 0 && t < n ? textures_[t] : nullptr);
            u.setPos(parseNumber(pieces[1]), parseNumber(pieces[2]));
            u.setSourceRect(
                TRect(parseNumber(pieces[3]), parseNumber(pieces[4]), parseNumber(pieces[5]), parseNumber(pieces[6])));
        }
    }

    animations_.resize(static_cast<size_t>(k));
    for (int32_t a = 0; a < k; ++a) {
        reader.setSection(keyOf("Animation_%d", a));
        reader.getString("comment", "");
        auto steps = std::make_unique<Steps>();
        for (int32_t j = 0;; ++j) {
            pieces.clear();
            if (reader.getList(keyOf("Step%d", j), pieces) == 0) break;
            TSpdObj::TUnit unit(0, 0, 0);
            if (parseStep(pieces, unit)) steps->push_back(unit);
        }
        animations_[a] = std::move(steps);
    }
    return true;
}

bool TSpdData::load(const std::string& file) {
    fileName_ = file;
    TStorage* store = TStorage::instance();
    std::unique_ptr<TStream> stream = store ? store->openStream(file) : nullptr;
    if (!stream) return false;
    return read(*stream, "");
}

bool TSpdData::loadWith(const std::string& file, TSurfaceSet* source) {
    source_ = source;
    return load(file);
}

void TSpdData::releaseContents() {
    for (TSurface32* t : textures_) releaseTexture(t);
    textures_.clear();
    characters_.clear();
    animations_.clear();
}

void TSpdData::clear() {
    releaseContents();
    fileName_.clear();
}

uint64_t TSpdData::byteSize() const {
    uint64_t total = 0;
    for (const TSurface32* t : textures_)
        if (t) total += t->byteSize();
    return total;
}

}  // namespace graphics

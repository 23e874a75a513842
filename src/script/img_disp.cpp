#include "script/img_disp.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "framework/lexer.h"
#include "framework/stream.h"
#include "script/names.h"
#include "storage/storage.h"

namespace {

bool hasName(const TG2ImgDisp::TEntry& e, std::string_view name) {
    for (const std::string& n : e.names)
        if (sameNameIgnoringCase(n, name)) return true;
    return false;
}

// The leading decimal number of a field, 0 when it starts with none (clamped to 32 bits).
int32_t leadingNumber(const std::string& field) {
    const long v = std::strtol(field.c_str(), nullptr, 10);
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

}  // namespace

bool TG2ImgDisp::load(const std::string& fileName) {
    TStorage* store = TStorage::instance();
    std::unique_ptr<TStream> stream = store ? store->openStream(fileName) : nullptr;
    return stream && load(*stream);
}

bool TG2ImgDisp::load(TStream& stream) {
    nsSJIS::TParseCSV csv(&stream);
    std::vector<std::string> fields;
    while (!csv.isEnd()) {
        fields.clear();
        csv.readRecord(fields);
        if (fields.size() < 2 || fields[0].find(';') != std::string::npos || fields[1].find(';') != std::string::npos)
            continue;
        const int32_t id = leadingNumber(fields[0]);
        if (id < 0) continue;
        auto [it, added] = entries_.try_emplace(id);
        if (added) it->second.index = static_cast<int32_t>(entries_.size() - 1);
        it->second.names.push_back(fields[1]);
    }
    resize(static_cast<int32_t>(entries_.size()));
    return true;
}

const TG2ImgDisp::TEntry* TG2ImgDisp::find(int32_t id) const {
    const auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second;
}

const TG2ImgDisp::TEntry* TG2ImgDisp::byName(const std::string& name) const {
    for (const auto& [id, e] : entries_)
        if (hasName(e, name)) return &e;
    return nullptr;
}

void TG2ImgDisp::setBit(int32_t index) {
    resize(index + 1);
    set(index);
}

bool TG2ImgDisp::isSeen(int32_t id) const {
    const TEntry* e = find(id);
    return e && test(e->index);
}

void TG2ImgDisp::setSeen(int32_t id) {
    if (const TEntry* e = find(id)) setBit(e->index);
}

bool TG2ImgDisp::isSeenByName(const std::string& name) const {
    const TEntry* e = byName(name);
    return e && test(e->index);
}

void TG2ImgDisp::setSeenByName(const std::string& name) {
    if (const TEntry* e = byName(name)) setBit(e->index);
}

bool TG2ImgDisp::allSeen(const char* exceptName) const {
    for (const auto& [id, e] : entries_)
        if (!(exceptName && hasName(e, exceptName)) && !test(e.index)) return false;
    return true;
}

void TG2ImgDisp::setAllSeen(const char* exceptName) {
    for (const auto& [id, e] : entries_)
        if (!(exceptName && hasName(e, exceptName))) setBit(e.index);
}

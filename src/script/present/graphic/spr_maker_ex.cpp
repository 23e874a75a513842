#include "script/present/graphic/spr_maker_ex.h"

#include <cstdlib>

#include "framework/sjis.h"
#include "script/present/ui/anis_obj.h"
#include "script/present/graphic/graphic_host.h"
#include "script/present/graphic/sprite_state.h"

namespace present {

namespace {

// As strtol with base 0: decimal, hexadecimal after 0x, octal after a leading 0; 0 for no number.
int32_t readOptionNumber(const std::string& text) {
    const long v = strToLong(text.c_str(), nullptr, 0);
    return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}

// The text after the last '.' of whole Shift-JIS characters; npos when there is none.
size_t lastDot(const std::string& name) {
    size_t dot = std::string::npos;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '.') dot = i;
        if (nsSJIS::isLead(static_cast<uint8_t>(name[i]))) ++i;
    }
    return dot;
}

}  // namespace

bool TSprMakerEx::parseSpec(const std::string& spec) {
    SeqNo = CombiNo = TextureNo = -1;
    if (!graphics::TSprMaker::parseSpec(spec) || fileName_.empty()) {
        host_.warning(0x1004, spec);
        return false;
    }
    return true;
}

size_t TSprMakerEx::parseOption(size_t pos) {
    if (pos >= options_.size()) return options_.size();
    int32_t* field = nullptr;
    switch (options_[pos]) {
        case 'A':
            field = &SeqNo;
            break;
        case 'C':
            field = &CombiNo;
            break;
        case 'T':
            field = &TextureNo;
            break;
        default:
            return graphics::TSprMaker::parseOption(pos);
    }
    size_t end = options_.find(';', pos + 1);
    if (end == std::string::npos) end = options_.size();
    *field = readOptionNumber(options_.substr(pos + 1, end - pos - 1));
    return end;
}

graphics::TSurface32* TSprMakerEx::loadSurface(const std::string& name, const graphics::TImageTrans& trans) {
    return host_.surfaces().get(name, trans);
}

bool TSprMakerEx::preload(const std::string& spec) {
    return parseSpec(spec) && host_.surfaces().preload(fileName_, trans_);
}

graphics::TGrObj* TSprMakerEx::makeSprObj() {
    auto* obj = new TSprObjEx;
    if (!setupSprite(*obj)) {
        delete obj;
        return nullptr;
    }
    host_.imageSeen(fileName_ + options_);
    return obj;
}

graphics::TGrObj* TSprMakerEx::makeAnisObj() {
    auto* obj = new TAnisObjEx;
    if (!obj->load(fileName_)) {
        delete obj;
        return nullptr;
    }
    host_.imageSeen(fileName_ + options_);
    obj->restart();
    return obj;
}

graphics::TGrObj* TSprMakerEx::makeSpdObj() {
    graphics::TSpdData* data = host_.spds().get(fileName_);
    if (!data) return nullptr;
    host_.imageSeen(data->fileName() + options_);
    auto* obj = new TSpdObjEx(data);
    if (SeqNo >= 0)
        obj->setSeqNo(SeqNo);
    else if (CombiNo >= 0)
        obj->setCombiNo(CombiNo);
    else if (TextureNo >= 0)
        obj->setTextureNo(TextureNo);
    else
        obj->setSeqNo(0);
    obj->start();
    return obj;
}

graphics::TGrObj* TSprMakerEx::createGrObj(const std::string& spec) {
    if (!parseSpec(spec)) return nullptr;
    const size_t dot = lastDot(fileName_);
    if (dot != std::string::npos) {
        const std::string ext = fileName_.substr(dot + 1);
        struct Test {
            const char* text;
            size_t count;
            graphics::TGrObj* (TSprMakerEx::*make)();
        };
        static const Test kTests[] = {
            {"bmp", 3, &TSprMakerEx::makeSprObj}, {"argb", 4, &TSprMakerEx::makeSprObj},
            {"jpg", 3, &TSprMakerEx::makeSprObj}, {"as", 2, &TSprMakerEx::makeAnisObj},
            {"spd", 3, &TSprMakerEx::makeSpdObj}, {"wsd", 3, &TSprMakerEx::makeSpdObj},
        };
        for (const Test& t : kTests)
            if (ext.size() >= t.count && strNICmp(ext.c_str(), t.text, t.count) == 0)
                if (graphics::TGrObj* obj = (this->*t.make)()) return obj;
    }
    if (fileName_.rfind("<SPD:", 0) == 0)
        if (graphics::TGrObj* obj = makeSpdObj()) return obj;
    if (graphics::TGrObj* obj = makeSprObj()) return obj;
    if (graphics::TGrObj* obj = makeAnisObj()) return obj;
    return makeSpdObj();
}

graphics::TGrObj* GraphicHost::createGrObj(const std::string& spec) {
    TSprMakerEx maker(*this);
    return maker.createGrObj(spec);
}

}  // namespace present

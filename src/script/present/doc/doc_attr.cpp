#include "script/present/doc/doc_attr.h"

#include <algorithm>

#include "script/value_exchange.h"

namespace present {

uint32_t getShadowColor(uint32_t argb) {
    if ((argb & 0xF0F0F0) == 0) return (argb & 0xFF000000) | 0xF0F0F0;
    return (argb & 0xFF000000) | ((argb >> 5) & 0x070707);
}

int32_t TG2DocAttr::leading() const {
    return static_cast<int32_t>(int64_t(fontSize) * std::min<int64_t>(int64_t(lh) - 100, 50) / 100);
}

int32_t TG2DocAttr::fullCell() const { return static_cast<int32_t>(int64_t(fontSize) * ls / 100); }

int32_t TG2DocAttr::lineAdvance() const { return static_cast<int32_t>(int64_t(fontSize) * lh / 100); }

void TG2DocAttr::reset() {
    ls = 100;
    lh = 140;
    indentLeft = indentRight = indent1st = 0;
    font.clear();
    fontAttr = TextAttr::kDefault;
    fontSize = 24;
    color = 0xFFFFFFFF;
    bkCol = 0xFF070707;
    indentHead.clear();
    indentTail.clear();
    y = leading();
    x = indent1st;
    indent = indent1st;
}

bool TG2DocAttr::isModified() const {
    return !(ls == 100 && lh == 140 && indentLeft == 0 && indentRight == 0 && indent1st == 0 && font.empty() &&
             fontAttr == TextAttr::kDefault && fontSize == 24 && color == 0xFFFFFFFF &&
             bkCol == getShadowColor(0xFFFFFFFF) && indentHead.empty() && indentTail.empty() && x == indent1st &&
             y == leading() && indent == x);
}

void TG2DocAttr::exchange(TValueExchange& a) {
    TValueExchange::TKey key(a, "gDocAttr");
    a.exchangeShort("X", x);
    a.exchangeShort("Y", y);
    a.exchangeShort("LS", ls);
    a.exchangeShort("LH", lh);
    a.exchangeShort("IndentLeft", indentLeft);
    a.exchangeShort("IndentRight", indentRight);
    a.exchangeShort("Indent1st", indent1st);
    a.exchangeString("Font", font);
    a.exchangeLong("FontAttr", fontAttr);
    a.exchangeShort("FontSize", fontSize);
    a.exchangeColor("Color", color);
    a.exchangeColor("BkCol", bkCol);
    a.exchangeString("IndentHead", indentHead);
    a.exchangeString("IndentTail", indentTail);
    a.exchangeShort("Indent", indent);
}

}  // namespace present

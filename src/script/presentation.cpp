#include "script/presentation.h"

#include "script/value_exchange.h"

// The minimal kinds keep no state a save needs beyond the frames' texts; each writes its section
// so that a save's shape does not depend on which kinds are installed.
void EngineDoc::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "gDoc");
    x.exchangeInt("Current", current_);
    if (current_ < 0 || current_ > 7) current_ = 0;
    for (auto& f : frames_) x.exchangeString("Text", f->text);
}

void EngineMenu::exchange(TValueExchange& x) {
    TValueExchange::TKey key(x, "MenuBranch");
    if (x.isStoring()) {
        x.putInt("Size", static_cast<int32_t>(entries.size()));
    } else {
        const int32_t n = x.getCount("Size", 4);
        entries.assign(n > 0 ? static_cast<size_t>(n) : 0, {});
    }
    for (Entry& e : entries) {
        x.exchangeInt("Type", e.type);
        x.exchangeInt("Value", e.value);
        x.exchangeString("Text", e.text);
        x.exchangeByte("Cancel", e.cancel);
    }
    x.exchangeInt("Default", defaultEntry);
}

int32_t EngineDocFrame::pageChars() const {
    int32_t n = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<uint8_t>(text[i]);
        if (b == '\n') continue;
        if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < text.size()) ++i;
        ++n;
    }
    return n;
}

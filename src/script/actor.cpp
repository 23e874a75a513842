#include "script/actor.h"

#include "script/value_exchange.h"

namespace {

bool storable(int32_t id) { return id >= 0 && id <= 0x7FFF; }

// The shared list shape: "ID" and an entry while the ID is not negative.
template <typename Entry>
void exchangeList(TValueExchange& x, TG2ActorMap& actors, Entry entry) {
    TValueExchange::TKey key(x, "ActorMap");
    if (x.isStoring()) {
        for (auto& [id, actor] : actors) {
            if (!storable(id)) continue;
            x.putShort("ID", static_cast<int16_t>(id));
            entry(actor);
        }
        x.putShort("ID", -1);
        return;
    }
    for (int32_t id = x.getShort("ID"); id >= 0; id = x.getShort("ID")) entry(actors[id]);
}

}  // namespace

void exchangeActor(TValueExchange& x, TG2Actor& actor) {
    TValueExchange::TKey key(x, "Actor");
    x.exchangeFlags("Flag", &actor.enabled);
    x.exchangeColor("Color", actor.color);
    x.exchangeString("Name", actor.name);
    x.exchangeShort("FrameNo", actor.frame);
}

void exchangeActorMap(TValueExchange& x, TG2ActorMap& actors) {
    exchangeList(x, actors, [&](TG2Actor& a) { exchangeActor(x, a); });
}

void exchangeActorVoiceMap(TValueExchange& x, TG2ActorMap& actors) {
    exchangeList(x, actors, [&](TG2Actor& a) {
        x.exchangeByte("Voice", a.voiceEnabled);
        x.exchangeShort("VoiceVolume", a.voiceVolume);
    });
}

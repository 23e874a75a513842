// Any bytes as a save archive, loaded through the exchange operations of the variable areas,
// a value stack and a run of typed reads chosen by the first byte: every load ends normally or
// with an engine error, never outside the stream.
#include "framework/stream.h"
#include "script/actor.h"
#include "script/memory.h"
#include "script/memory_map_file.h"
#include "script/read_check.h"
#include "script/value.h"
#include "script/value_exchange.h"
#include "support/fuzz.h"

namespace {

TG2Memory& memory() {
    static TG2Memory* mem = [] {
        auto* m = new TG2Memory;
        G2MapImage map;
        for (auto& area : map.areas)
            for (int k = 0; k < 3; ++k) area.lists[k].length = 20;
        m->applyMap(map);
        return m;
    }();
    return *mem;
}

void loadAll(TValueExchange& x, uint8_t plan) {
    switch (plan % 5) {
        case 0:
            memory().exchangeArea0(x);
            memory().exchangeArea1(x);
            break;
        case 1: {
            TValueStack stack;
            stack.exchange(x, &memory());
            for (size_t i = 0; i < stack.size(); ++i) {
                try {
                    stack.at(i)->getInt();
                } catch (const TError&) {}
            }
            break;
        }
        case 2: {
            TReadCheckList list;
            list.exchange(x);
            for (size_t i = 0; i < list.size(); ++i) list.at(i)->set(list.at(i)->size() * 8 - 1);
            break;
        }
        case 3: {
            TG2ActorMap actors;
            exchangeActorMap(x, actors);
            exchangeActorVoiceMap(x, actors);
            break;
        }
        default: {
            TMemoryStream sink;
            std::string s;
            float f;
            uint32_t c;
            for (int i = 0; i < 64; ++i) {
                TValueExchange::TKey k(x, "Ab");
                x.exchangeString("s", s);
                x.exchangeFloat("f", f);
                x.exchangeColor("c", c);
                x.getCount("n", 1);
                if (plan & 0x80) x.exchangeMemoryStream("m", sink);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    TMemoryStream in(const_cast<uint8_t*>(data + 1), static_cast<uint32_t>(size - 1));
    TValueExchange x(&in, false);
    try {
        loadAll(x, data[0]);
    } catch (const TError&) {}
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    for (uint8_t plan = 0; plan < 4; ++plan) {
        TMemoryStream m;
        m.writeUInt8(plan);
        TValueExchange x(&m, true);
        if (plan == 0) {
            memory().exchangeArea0(x);
            memory().exchangeArea1(x);
        } else if (plan == 3) {
            TG2ActorMap actors;
            actors[1] = {true, 0xFF112233, 2, true, 127, "name"};
            actors[9].voiceVolume = 3;
            exchangeActorMap(x, actors);
            exchangeActorVoiceMap(x, actors);
        } else if (plan == 2) {
            TReadCheckList list;
            list.getOrCreate("a.g2", 20)->set(3);
            list.getOrCreate("b.g2", 0);
            list.exchange(x);
        } else {
            TValueStack stack;
            stack.push(std::make_unique<TIntValue>(300));
            stack.push(std::make_unique<TStrValue>("text"));
            stack.push(std::make_unique<TBoolVar>(&memory(), 0, 3));
            stack.exchange(x, &memory());
        }
        seeds.emplace_back(m.getBuffer(), m.getBuffer() + m.size());
    }
    return seeds;
}

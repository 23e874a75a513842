// The bytecode loop on one core: a script that counts a variable down in an arithmetic loop,
// reported as opcodes per second.
#include <benchmark/benchmark.h>

#include "framework/stream.h"
#include "script/assembler.h"
#include "script/memory.h"
#include "script/memory_map_file.h"
#include "script/thread.h"

namespace {

// Per turn of the loop: 14 opcodes.
const char* kLoop = R"(
START:
    vi0 0
    push 1000000
    set
    pop
@loop:
    vi0 1
    vi0 1
    push 3
    mul
    push 7
    add
    set
    pop
    vi0 0
    push 1
    setsub
    jnz @loop
    cmd 1
)";
constexpr int kOpsPerTurn = 14;
constexpr int kTurns = 1000000;

class BenchHost : public TG2ThreadHost {
public:
    BenchHost() {
        G2MapImage map;
        map.areas[0].lists[kG2Int].length = 4;
        mem.applyMap(map);
        G2ScriptImage image;
        std::string error;
        assembleScript(kLoop, image, error);
        bytes = scriptFileBytes(image);
        bank.setOpener([this](const std::string&) -> std::unique_ptr<TStream> {
            auto s = std::make_unique<TMemoryStream>();
            s->write(bytes.data(), static_cast<uint32_t>(bytes.size()));
            s->seek(0, 0);
            return s;
        });
    }
    TG2Memory* memory() override { return &mem; }
    TScriptBank& scriptBank() override { return bank; }

    TG2Memory mem;
    TScriptBank bank;
    std::vector<uint8_t> bytes;
};

void BM_ArithmeticLoop(benchmark::State& state) {
    BenchHost host;
    for (auto _ : state) {
        TG2Thread thread(host);
        thread.setOpcodeBudget(0);
        thread.start(0, "loop.g2", "START", 0);
        thread.step();
        benchmark::DoNotOptimize(host.mem.getInt(0, 1));
    }
    state.counters["opcodes/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kTurns * kOpsPerTurn, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ArithmeticLoop)->Unit(benchmark::kMillisecond);

}  // namespace

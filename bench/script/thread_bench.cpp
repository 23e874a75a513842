// The bytecode loop on one core: scripts that count a variable down in an arithmetic loop,
// reported as opcodes per second. The opcodes of one turn are counted in the assembled code
// (from the label LOOP to the jump back), so the rate stays right when a loop is edited.
// Target: 100 M opcodes/s for `v1 += (v0 % 7) * 3; v2 ^= v1; --v0`.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "framework/stream.h"
#include "script/assembler.h"
#include "script/memory.h"
#include "script/memory_map_file.h"
#include "script/opcodes.h"
#include "script/thread.h"

namespace {

constexpr int kTurns = 1000000;

// v1 = v1 * 3 + 7 while --v0.
const char* kScaleLoop = R"(
START:
    vi0 0
    push 1000000
    set
    pop
LOOP:
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
    jnz LOOP
    cmd 1
)";

// v1 += (v0 % 7) * 3; v2 ^= v1 while --v0.
const char* kModXorLoop = R"(
START:
    vi0 0
    push 1000000
    set
    pop
LOOP:
    vi0 1
    vi0 0
    push 7
    mod
    push 3
    mul
    setadd
    pop
    vi0 2
    vi0 1
    setxor
    pop
    vi0 0
    push 1
    setsub
    jnz LOOP
    cmd 1
)";

// The instructions from LOOP up to and including the first conditional jump back.
int opcodesPerTurn(const G2ScriptImage& image) {
    int32_t at = -1;
    for (const auto& [name, offset] : image.labels)
        if (name == "LOOP") at = offset;
    if (at < 0) throw std::runtime_error("the loop has no LOOP label");
    int count = 0;
    for (auto pos = static_cast<size_t>(at); pos < image.code.size();) {
        const uint8_t op = image.code[pos];
        ++count;
        if (op == kOpJumpNotZero) return count;
        // The loops hold no instruction with a counted operand.
        pos += 1 + static_cast<size_t>(g2OperandSize(op));
    }
    throw std::runtime_error("the loop never jumps back");
}

class BenchHost : public TG2ThreadHost {
public:
    explicit BenchHost(const char* source) {
        G2MapImage map;
        map.areas[0].lists[kG2Int].length = 4;
        mem.applyMap(map);
        G2ScriptImage image;
        std::string error;
        if (!assembleScript(source, image, error)) throw std::runtime_error(error);
        opsPerTurn = opcodesPerTurn(image);
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
    int opsPerTurn = 0;
};

void runLoop(benchmark::State& state, const char* source) {
    BenchHost host(source);
    for (auto _ : state) {
        TG2Thread thread(host);
        thread.setOpcodeBudget(0);
        thread.start(0, "loop.g2", "START", 0);
        thread.step();
        benchmark::DoNotOptimize(host.mem.getInt(0, 1));
    }
    state.counters["opcodes/turn"] = host.opsPerTurn;
    state.counters["opcodes/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kTurns * host.opsPerTurn,
                                                     benchmark::Counter::kIsRate);
}

void BM_ArithmeticLoop(benchmark::State& state) { runLoop(state, kScaleLoop); }
BENCHMARK(BM_ArithmeticLoop)->Unit(benchmark::kMillisecond);

void BM_ModXorLoop(benchmark::State& state) { runLoop(state, kModXorLoop); }
BENCHMARK(BM_ModXorLoop)->Unit(benchmark::kMillisecond);

}  // namespace

// Any bytes as a compiled script: it is refused, or it disassembles to a text that assembles
// back to the same file, and a thread runs it under an opcode budget to its end, an engine error
// or the step limit, never a crash or a hang; the thread then saves and loads and runs on. Calls
// and file calls reach the same file.
#include <cstdlib>

#include "framework/stream.h"
#include "script/assembler.h"
#include "script/memory.h"
#include "script/memory_map_file.h"
#include "script/thread.h"
#include "script/value_exchange.h"
#include "support/fuzz.h"

namespace {

class FuzzHost : public TG2ThreadHost {
public:
    explicit FuzzHost(const std::vector<uint8_t>& file) : file_(file) {
        G2MapImage map;
        for (auto& area : map.areas)
            for (auto& list : area.lists) list.length = 8;
        mem_.applyMap(map);
        bank_.setOpener([this](const std::string& name) -> std::unique_ptr<TStream> {
            if (name != "f.g2") return nullptr;
            auto s = std::make_unique<TMemoryStream>();
            s->write(file_.data(), static_cast<uint32_t>(file_.size()));
            s->seek(0, 0);
            return s;
        });
    }
    TG2Memory* memory() override { return &mem_; }
    TScriptBank& scriptBank() override { return bank_; }
    bool requestSnapshot(int32_t kind) override { return kind == 1; }
    void command(TG2Thread& t, uint32_t code) override {
        // A handler takes up to its arguments, as real ones do.
        for (int32_t i = 0; i < t.argumentCount() && i < static_cast<int32_t>(code & 3); ++i) t.popValue();
    }

private:
    const std::vector<uint8_t>& file_;
    TG2Memory mem_;
    TScriptBank bank_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> file(data, data + size);
    TMemoryStream in(const_cast<uint8_t*>(data), static_cast<uint32_t>(size));
    G2ScriptImage image;
    if (!readScriptImage(in, image)) return 0;
    G2ScriptImage again;
    std::string error;
    if (!assembleScript(disassembleScript(image), again, error) || scriptFileBytes(again) != scriptFileBytes(image))
        std::abort();
    setEngineLogSink([](const std::string&) {});
    FuzzHost host(file);
    TG2Thread thread(host);
    thread.setOpcodeBudget(4096);
    if (!thread.start(0, "f.g2", "START", 0)) std::abort();
    try {
        for (int i = 0; i < 64 && thread.step(); ++i) {}
        // Where it stopped saves and loads into a new thread, which runs on from there.
        TMemoryStream saved;
        {
            TValueExchange x(&saved, true);
            thread.exchange(x);
        }
        saved.seek(0, 0);
        TG2Thread loaded(host);
        loaded.setOpcodeBudget(4096);
        TValueExchange x(&saved, false);
        loaded.exchange(x);
        for (int i = 0; i < 8 && loaded.step(); ++i) {}
    } catch (const TError&) {}
    setEngineLogSink(nullptr);
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    const char* texts[] = {
        "START:\n push 3\n push 4\n add\n vi0 1\n elem\n pop\n cmd 0x1001, 1, \"a\", vi1:2\n text \"x\"\n",
        "START:\n call sub, 0\n pos 1\n save1 2\n ret\nsub:\n pushs \"sub2\"\n scall 1\n ret\nsub2:\n ret\n.index "
        "START\n.index sub\n",
        "START:\n pushs \"f.g2\"\n pushs \"b\"\n filecall 0\n skip \"ab\"\n jmp START\nb:\n vb0 1\n push 1\n set\n "
        "ret\n",
    };
    std::vector<std::vector<uint8_t>> seeds;
    for (const char* t : texts) {
        G2ScriptImage image;
        std::string error;
        if (assembleScript(t, image, error)) seeds.push_back(scriptFileBytes(image));
    }
    return seeds;
}

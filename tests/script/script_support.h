#pragma once
// Assembled scripts for the engine's tests: an in-memory set of script files for the bank, and a
// thread host that records what the scripts hand to the engine.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "error_code.h"
#include "framework/stream.h"
#include "script/assembler.h"
#include "script/memory.h"
#include "script/memory_map_file.h"
#include "script/script.h"
#include "script/thread.h"

inline G2ScriptImage assembled(const std::string& text) {
    G2ScriptImage image;
    std::string error;
    if (!assembleScript(text, image, error)) throw std::runtime_error(error);
    return image;
}

// 16 slots of each kind in areas 0-2: room enough for any test script.
inline G2MapImage smallMap() {
    G2MapImage map;
    for (auto& area : map.areas)
        for (auto& list : area.lists) list.length = 16;
    return map;
}

// A memory laid out by smallMap() whatever map file it is asked for; when `only` is named, any
// other name fails to load.
class SmallMapMemory : public TG2Memory {
public:
    explicit SmallMapMemory(std::string only = {}) : only_(std::move(only)) {}
    bool loadMap(const std::string& name) override {
        if (!only_.empty() && name != only_) return false;
        applyMap(smallMap());
        return true;
    }

private:
    std::string only_;
};

// Script files by name, served to a bank.
struct ScriptFiles {
    std::map<std::string, std::vector<uint8_t>> files;
    int opens = 0;

    // Every test script also goes through the disassembler and back, byte for byte.
    void add(const std::string& name, const std::string& text) {
        const G2ScriptImage image = assembled(text);
        files[name] = scriptFileBytes(image);
        EXPECT_EQ(scriptFileBytes(assembled(disassembleScript(image))), files[name]) << text;
    }
    void install(TScriptBank& bank) {
        bank.setOpener([this](const std::string& name) -> std::unique_ptr<TStream> {
            auto it = files.find(name);
            if (it == files.end()) return nullptr;
            ++opens;
            auto s = std::make_unique<TMemoryStream>();
            s->write(it->second.data(), static_cast<uint32_t>(it->second.size()));
            s->seek(0, 0);
            return s;
        });
    }
};

// A memory of 16 slots of each kind in areas 0-2, a bank over ScriptFiles, and records of the
// commands (code and argument count), texts, read points and snapshot requests.
class RecordingHost : public TG2ThreadHost {
public:
    RecordingHost() {
        mem.applyMap(smallMap());
        files.install(bank);
    }
    TG2Memory* memory() override { return &mem; }
    TScriptBank& scriptBank() override { return bank; }
    void setReadPoint(TReadCheck*, int32_t id) override { readPoints.push_back(id); }
    bool requestSnapshot(int32_t kind) override {
        snapshots.push_back(kind);
        return snapshotAnswer;
    }
    void command(TG2Thread& t, uint32_t code) override {
        commands.push_back({code, t.argumentCount()});
        if (onCommand) onCommand(t, code);
    }
    void message(TG2Thread&, const std::string& text) override { texts.push_back(text); }

    struct Command {
        uint32_t code;
        int32_t args;
        bool operator==(const Command&) const = default;
    };
    TG2Memory mem;
    TScriptBank bank;
    ScriptFiles files;
    std::vector<Command> commands;
    std::vector<std::string> texts;
    std::vector<int32_t> readPoints;
    std::vector<int32_t> snapshots;
    bool snapshotAnswer = false;
    std::function<void(TG2Thread&, uint32_t)> onCommand;
};

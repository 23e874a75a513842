#pragma once
// Compiled scripts (G2CD files) and the script bank. A TScript is one loaded script: its
// bytecode, its named labels and its numbered return points. The bank loads each file once and
// shares it between every thread that runs it; each thread reads the shared code through its own
// TScriptChild, which keeps only a position.
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/little_endian.h"
#include "script/g2_error.h"

class TStream;
class TReadCheck;
class TValueExchange;

// What a script file holds besides its code, in file order, for the loader and the assembler.
struct G2ScriptImage {
    std::string headerText;  // free text before the tables (no 0x1B in it)
    int32_t readPoints = 0;
    std::vector<std::pair<std::string, int32_t>> labels;  // name, code offset; file order
    std::vector<int32_t> index;
    std::string trailerText;
    std::vector<uint8_t> code;
    bool operator==(const G2ScriptImage&) const = default;
};

// Reads a whole G2CD file. False when the header is not "G2CD0460", a free text is not ended by
// 0x1B, or a count or string runs past the end of the file.
bool readScriptImage(TStream& stream, G2ScriptImage& out);
// Writes the file that readScriptImage reads back to the same image.
void writeScriptImage(TStream& stream, const G2ScriptImage& image);

class TScript {
public:
    TScript() = default;
    virtual ~TScript() = default;
    TScript(const TScript&) = delete;
    TScript& operator=(const TScript&) = delete;

    // Reads the file through the resource store; false when it cannot be opened or is not a
    // well-formed script (nothing of it is kept then).
    virtual bool load(const std::string& fileName);
    // The same from an open stream; name is what the script is known by.
    bool load(const std::string& name, TStream& stream);
    virtual void releaseCode() { code_.clear(), code_.shrink_to_fit(); }

    // The label's code offset, -1 when there is none.
    int32_t findLabel(const std::string& name) const;
    // Entry tag of the index table; -1 outside it.
    int32_t getIndexOffset(int32_t tag) const;

    const std::string& name() const { return name_; }
    const std::vector<uint8_t>& code() const { return code_; }
    int32_t readPoints() const { return readPoints_; }
    size_t labelCount() const { return labels_.size(); }
    size_t indexCount() const { return index_.size(); }

    // The read-check table of this script (owned by the core's list), or null.
    TReadCheck* readCheck = nullptr;

private:
    std::string name_;
    std::vector<uint8_t> code_;
    std::map<std::string, int32_t> labels_;
    std::vector<int32_t> index_;
    int32_t readPoints_ = 0;
};

// One thread's view of a shared script: the code bytes and a position of its own. The position
// may stand anywhere; reads outside the code give nothing (see atEnd).
class TScriptChild {
public:
    TScriptChild() = default;
    virtual ~TScriptChild() = default;
    TScriptChild(const TScriptChild&) = delete;
    TScriptChild& operator=(const TScriptChild&) = delete;

    virtual void attach(TScript* script);
    TScript* script() const { return script_; }

    uint32_t size() const { return size_; }
    uint32_t tell() const { return pos_; }
    // Moves to an offset; one past the end (or further) is the end of the code.
    void seek(uint32_t pos) { pos_ = pos; }
    bool atEnd() const { return pos_ >= size_; }
    bool canRead(uint32_t n) const { return pos_ <= size_ && size_ - pos_ >= n; }
    // The next byte; false at the end (the position then stays).
    bool readByte(uint8_t& b) {
        if (pos_ >= size_) return false;
        b = code_[pos_++];
        return true;
    }
    // A little-endian int32; false when fewer than 4 bytes are left (the position goes to the end).
    bool readInt32(int32_t& v) {
        if (!canRead(4)) {
            pos_ = size_;
            v = 0;
            return false;
        }
        v = le::load<int32_t>(code_ + pos_);
        pos_ += 4;
        return true;
    }
    // A scrambled string; false when its length runs past the end.
    bool readString(std::string& s);
    const uint8_t* bytes() const { return code_; }

private:
    TScript* script_ = nullptr;
    const uint8_t* code_ = nullptr;
    uint32_t size_ = 0;
    uint32_t pos_ = 0;
};

// A bank entry: one loaded script with its reference count.
struct TScriptCoin {
    int32_t id = 0;
    int32_t refCount = 0;
    std::string name;
    std::unique_ptr<TScript> script;
};

class TScriptBank : public TErrorInterface {
public:
    // Opens a file by name; the default goes through the resource store.
    using Opener = std::function<std::unique_ptr<TStream>(const std::string& name)>;
    // The read-check table for (script name, read-point count); the core supplies it.
    using ReadCheckSource = std::function<TReadCheck*(const std::string& name, int32_t points)>;

    TScriptBank() = default;
    ~TScriptBank() override { clear(); }
    TScriptBank(const TScriptBank&) = delete;
    TScriptBank& operator=(const TScriptBank&) = delete;

    void setOpener(Opener opener) { opener_ = std::move(opener); }
    void setReadCheckSource(ReadCheckSource source) { readChecks_ = std::move(source); }

    // A new child over the script of that name (names compared byte for byte), loading the file
    // when no thread uses it; null when it cannot be loaded. The caller gives it back through
    // release.
    TScriptChild* getScript(const std::string& name);
    // Deletes the child and drops one reference; the script goes when its last child does.
    void release(TScriptChild* child);
    void clear();

    // The entry holding a script, or null.
    const TScriptCoin* findCoin(const TScript* script) const;
    size_t size() const { return coins_.size(); }

private:
    std::unique_ptr<TStream> open(const std::string& name) const;

    std::list<std::unique_ptr<TScriptCoin>> coins_;  // most recently used first
    int32_t nextId_ = 0;
    Opener opener_;
    ReadCheckSource readChecks_;
};

// Section "ScriptBank": which script a thread runs and where. On load a child the reference held
// before is given back to the bank first. Errors: 0x1010 (saving a child whose script is not in
// the bank), 0x100c (loading a script that cannot be loaded).
void exchangeScriptChild(TValueExchange& x, TScriptChild*& child, TScriptBank& bank);

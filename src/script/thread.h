#pragma once
// TG2Thread: one running script. It reads opcodes from its TScriptChild, computes on its value
// stack, and ends its step after a message text, a command, a save point that asks for a
// snapshot, or at the end of the code. Calls keep their return frames on the value stack (tag,
// position and, for a file call, the caller's file name); a return checks the tag at the return
// position and falls back to the script's index table.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/g2_error.h"
#include "script/value.h"

class TG2Memory;
class TG2Thread;
class TReadCheck;
class TScriptBank;
class TScriptChild;
class TValueExchange;

// What a thread needs of the engine around it; the interpreter core is the real one.
class TG2ThreadHost {
public:
    virtual ~TG2ThreadHost() = default;
    virtual TG2Memory* memory() = 0;
    virtual TScriptBank& scriptBank() = 0;
    // A position marker passed: the text at (table, id) is now current.
    virtual void setReadPoint(TReadCheck*, int32_t) {}
    // A save point of kind 0 or 1; true when a snapshot is now pending (the step ends).
    virtual bool requestSnapshot(int32_t) { return false; }
    // A command opcode: the handler takes its arguments from the thread's stack. The thread
    // closes the argument frame afterwards.
    virtual void command(TG2Thread&, uint32_t) {}
    // A message text (opcode 0x01).
    virtual void message(TG2Thread&, const std::string&) {}
    virtual void trace(const std::string&) {}
};

class TG2Thread : public TErrorInterface {
public:
    explicit TG2Thread(TG2ThreadHost& host);
    ~TG2Thread() override;
    TG2Thread(const TG2Thread&) = delete;
    TG2Thread& operator=(const TG2Thread&) = delete;

    // Loads the script and goes to the label (a missing label starts at offset 0); the stack gets
    // its bottom return frame (-1, -1). False when the script cannot be loaded.
    bool start(int32_t number, const std::string& file, const std::string& label, int32_t type);
    // One step: with the hold flag set it only clears it; false once the code has ended.
    bool step();
    // The bytecode loop: true when the step stopped on text, a command, a save point or the
    // opcode budget; false at the end of the code.
    bool run();

    // Section "Thread": script and position (repaired by the scanners when the code there
    // changed), value stack, number, type, flags and frame base.
    virtual void exchange(TValueExchange& x);
    // Code scanners from offset 0; on failure the position is where it was and the result false.
    virtual bool seekPosId(int32_t id);
    virtual bool seekPosOffset(int32_t offset);

    // Stack access for command handlers. Popping an empty stack is engine error 0x1002.
    std::unique_ptr<TValue> popValue();
    TValue* topValue() const { return stack_.top(); }
    TValueStack& stack() { return stack_; }
    // Values pushed since the innermost open argument frame (0 when none is open).
    int32_t argumentCount() const;
    // Drops the innermost argument frame with whatever is left of its values; nothing when none
    // is open. Values beneath the frame are never touched.
    void closeFrame();
    bool frameOpen() const { return !frames_.empty(); }

    // Control flow; each true when the thread now stands at the wanted place.
    bool jump(int32_t offset);
    bool gotoLabel(const std::string& label);
    bool call(int32_t target, int32_t tag);
    bool callLabel(const std::string& label, int32_t tag);
    bool returnTo(int32_t position, int32_t tag);
    bool loadScript(const std::string& file, int32_t offset);
    bool gotoFileLabel(const std::string& file, const std::string& label);
    bool returnToFile(const std::string& file, int32_t position, int32_t tag);

    std::string scriptName() const;
    TScriptChild* script() const { return script_; }
    int32_t position() const;
    int32_t number() const { return number_; }
    int32_t type() const { return type_; }
    int32_t positionId() const { return positionId_; }
    bool ended() const { return ended_; }
    bool held() const { return hold_; }
    // A holding job sets this in every frame it runs.
    void hold() { hold_ = true; }
    // The most values a stack holds: a script that pushes without end stops with engine error
    // 0x1002 instead of taking all memory.
    static constexpr size_t kMaxStack = 1u << 20;
    // The most opcodes one step runs before it yields (a loop without a wait still lets the
    // frame end); 0 means no limit.
    void setOpcodeBudget(uint32_t n) { budget_ = n; }

private:
    void push(std::unique_ptr<TValue> v);
    void pushInt(int32_t v);
    void pushString(std::string s);
    // The popped value as an integer.
    int32_t popInt();
    // Open frames whose marker is no longer below the given stack size are gone.
    void dropFramesAbove(size_t size);
    void replaceTop(size_t count, int32_t r);
    template <class F>
    void unary(F f);
    void binary(uint8_t op);
    void assign(uint8_t op);
    void releaseScript();
    int32_t readOperand();
    // After a call opcode: the 0x14 and its tag, the position put back on the 0x14 (error 0x1002
    // when the tag is not there).
    int32_t readCallTag();
    bool scan(bool (*stop)(uint8_t op, int32_t operand, uint32_t posAfter, int32_t wanted), int32_t wanted,
              bool negativeIdStopsAfterSkip);

    TG2ThreadHost& host_;
    int32_t number_ = 0;
    TScriptChild* script_ = nullptr;
    TValueStack stack_;
    int32_t type_ = 0;
    bool hold_ = false;
    bool ended_ = false;
    int32_t positionId_ = -1;
    std::vector<int32_t> frames_;  // stack size right after each open frame's marker
    uint32_t budget_ = 1u << 20;
};

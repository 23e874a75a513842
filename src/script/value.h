#pragma once
// Script values: what script code computes with. A value is a constant (TIntValue, TStrValue)
// or a reference to a variable of the store (TIntVar, TBoolVar, TStrVar) that reads and writes
// through TG2Memory on every access. Wrong accesses are engine errors, never conversions:
// 0x1004 for writing, indexing or mis-reading a constant, 0x1003 for reading or writing a string
// variable as a number, 0x1006 for a number variable as a string.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/g2_error.h"
#include "script/memory.h"

class TValueExchange;

class TValue : public TErrorInterface {
public:
    ~TValue() override = default;
    // A script pushes and drops a value for nearly every opcode, so values take their storage
    // from a free list of the running thread rather than from the general heap. A value may be
    // deleted on another thread than the one that made it.
    static void* operator new(size_t size);
    static void operator delete(void* p, size_t size) noexcept;
    // Save record: "Type" and "Area" (bytes), then the payload.
    virtual void save(TValueExchange& x);
    // Reads the payload (the two bytes were read by loadValue).
    virtual void load(TValueExchange& x) = 0;
    virtual int32_t getArea() const = 0;
    virtual int32_t getType() const = 0;
    virtual int32_t getInt() = 0;
    virtual std::string getString() = 0;
    // Moves a variable reference to the slot n further on; returns this value.
    virtual TValue* addIndex(int32_t n) = 0;
    virtual std::string setString(const std::string& s) = 0;  // returns s
    virtual int32_t setInt(int32_t v) = 0;                    // returns v
    // Whether this is an integer constant, known without a virtual call: the bytecode loop reads
    // such values and reuses them for its results in place.
    bool isIntConstant() const { return intConstant_; }

protected:
    TValue() = default;
    explicit TValue(bool intConstant) : intConstant_(intConstant) {}
    virtual void savePayload(TValueExchange& x) = 0;

private:
    bool intConstant_ = false;
};

class TIntValue final : public TValue {
public:
    explicit TIntValue(int32_t v = 0) : TValue(true), value(v) {}
    void load(TValueExchange& x) override;
    int32_t getArea() const override { return kG2Constant; }
    int32_t getType() const override { return kG2Int; }
    int32_t getInt() override { return value; }
    std::string getString() override { error(kG2ErrConstAccess); }
    TValue* addIndex(int32_t) override { error(kG2ErrConstAccess); }
    std::string setString(const std::string&) override { error(kG2ErrConstAccess); }
    int32_t setInt(int32_t) override { error(kG2ErrConstAccess); }

    int32_t value;

protected:
    void savePayload(TValueExchange& x) override;
};

class TStrValue final : public TValue {
public:
    explicit TStrValue(std::string s = {}) : text(std::move(s)) {}
    void load(TValueExchange& x) override;
    int32_t getArea() const override { return kG2Constant; }
    int32_t getType() const override { return kG2String; }
    int32_t getInt() override { error(kG2ErrConstAccess); }
    std::string getString() override { return text; }
    TValue* addIndex(int32_t) override { error(kG2ErrConstAccess); }
    std::string setString(const std::string&) override { error(kG2ErrConstAccess); }
    int32_t setInt(int32_t) override { error(kG2ErrConstAccess); }

    std::string text;

protected:
    void savePayload(TValueExchange& x) override;
};

// A reference to (area, index) of the store; the memory is borrowed and not saved.
class TVarValue : public TValue {
public:
    TVarValue(TG2Memory* memory, int32_t area, int32_t index) : memory(memory), area(area), index(index) {}
    void load(TValueExchange& x) override;
    int32_t getArea() const override { return area; }
    TValue* addIndex(int32_t n) override;

    TG2Memory* memory;
    int32_t area;
    int32_t index;

protected:
    void savePayload(TValueExchange& x) override;
};

class TIntVar final : public TVarValue {
public:
    using TVarValue::TVarValue;
    int32_t getType() const override { return kG2Int; }
    int32_t getInt() override { return memory->getInt(area, index); }
    std::string getString() override { error(kG2ErrNumberAccess); }
    std::string setString(const std::string&) override { error(kG2ErrNumberAccess); }
    int32_t setInt(int32_t v) override {
        memory->setInt(area, index, v);
        return v;
    }
};

class TBoolVar final : public TVarValue {
public:
    using TVarValue::TVarValue;
    int32_t getType() const override { return kG2Bool; }
    int32_t getInt() override { return memory->getBool(area, index) ? 1 : 0; }
    std::string getString() override { error(kG2ErrNumberAccess); }
    std::string setString(const std::string&) override { error(kG2ErrNumberAccess); }
    int32_t setInt(int32_t v) override {
        memory->setBool(area, index, v != 0);
        return v;
    }
};

class TStrVar final : public TVarValue {
public:
    using TVarValue::TVarValue;
    int32_t getType() const override { return kG2String; }
    int32_t getInt() override { error(kG2ErrStringAccess); }
    std::string getString() override { return memory->getString(area, index); }
    std::string setString(const std::string& s) override {
        memory->setString(area, index, s);
        return s;
    }
    int32_t setInt(int32_t) override { error(kG2ErrStringAccess); }
};

// The value factory: area 3 makes a constant (kind 0 or 1 an integer 0, kind 2 an empty
// string), areas 0-2 a variable reference of the kind. Any other kind or area is error 0x100a.
std::unique_ptr<TValue> newValue(TG2Memory* memory, int32_t kind, int32_t area, int32_t index);
// Reads one save record; variable references get the given memory.
std::unique_ptr<TValue> loadValue(TValueExchange& x, TG2Memory* memory);

// A script thread's operand stack; it owns its values.
class TValueStack {
public:
    TValueStack() = default;
    virtual ~TValueStack() = default;
    TValueStack(const TValueStack&) = delete;
    TValueStack& operator=(const TValueStack&) = delete;

    // Section "ValueStack": "Capacity", "Size", then the values bottom to top. Loading appends
    // to what the stack holds; references are bound to memory.
    virtual void exchange(TValueExchange& x, TG2Memory* memory);

    void push(std::unique_ptr<TValue> v) { values_.push_back(std::move(v)); }
    // Drops the top value (the stack must not be empty).
    void drop() { values_.pop_back(); }
    // The top count values (1 <= count <= size) replaced by one integer constant v, made from
    // one of them when one is an integer constant, so that arithmetic allocates nothing.
    void replaceTopWithInt(size_t count, int32_t v) {
        const size_t base = values_.size() - count;
        size_t reuse = base;
        while (reuse < values_.size() && !values_[reuse]->isIntConstant()) ++reuse;
        if (reuse == values_.size()) {
            values_[base] = std::make_unique<TIntValue>(v);
        } else {
            static_cast<TIntValue&>(*values_[reuse]).value = v;
            if (reuse != base) values_[base] = std::move(values_[reuse]);
        }
        values_.erase(values_.begin() + static_cast<ptrdiff_t>(base) + 1, values_.end());
    }
    // The top value, handed to the caller; null when the stack is empty.
    std::unique_ptr<TValue> pop() {
        if (values_.empty()) return nullptr;
        std::unique_ptr<TValue> v = std::move(values_.back());
        values_.pop_back();
        return v;
    }
    // The top value, still owned by the stack; null when empty.
    TValue* top() const { return values_.empty() ? nullptr : values_.back().get(); }
    TValue* at(size_t i) const { return values_[i].get(); }
    size_t size() const { return values_.size(); }
    bool empty() const { return values_.empty(); }
    size_t capacity() const { return values_.capacity(); }
    void reserve(size_t n) { values_.reserve(n); }
    void clear() { values_.clear(); }

private:
    std::vector<std::unique_ptr<TValue>> values_;
};

// Script values: the kinds' error matrix, the factory and the saved value stack.
#include "script/value.h"

#include <gtest/gtest.h>

#include <thread>

#include "error_code.h"
#include "framework/stream.h"
#include "script/memory_map_file.h"
#include "script/value_exchange.h"

namespace {

class ValueTest : public ::testing::Test {
protected:
    void SetUp() override {
        G2MapImage map;
        for (auto& list : map.areas[0].lists) list.length = 10;
        map.areas[1].lists[kG2Int].length = 16;
        memory.applyMap(map);
    }
    TG2Memory memory;
};

}  // namespace

TEST_F(ValueTest, EachKindAnswersOrThrowsAsItsRowSays) {
    // Operations: getInt, getString, addIndex, setString, setInt; 0 where the kind allows it.
    struct Row {
        std::unique_ptr<TValue> v;
        int codes[5];
    };
    Row rows[] = {
        {std::make_unique<TIntValue>(3), {0, 0x1004, 0x1004, 0x1004, 0x1004}},
        {std::make_unique<TStrValue>("s"), {0x1004, 0, 0x1004, 0x1004, 0x1004}},
        {std::make_unique<TIntVar>(&memory, 0, 1), {0, 0x1006, 0, 0x1006, 0}},
        {std::make_unique<TBoolVar>(&memory, 0, 1), {0, 0x1006, 0, 0x1006, 0}},
        {std::make_unique<TStrVar>(&memory, 0, 1), {0x1003, 0, 0, 0, 0x1003}},
    };
    for (Row& r : rows) {
        TValue& v = *r.v;
        const std::function<void()> ops[] = {[&] { v.getInt(); }, [&] { v.getString(); }, [&] { v.addIndex(0); },
                                             [&] { v.setString("t"); }, [&] { v.setInt(5); }};
        for (int i = 0; i < 5; ++i) EXPECT_EQ(errorCode(ops[i]), r.codes[i]) << "type " << v.getType() << " op " << i;
    }
}

TEST_F(ValueTest, VariablesReadAndWriteTheirSlot) {
    TBoolVar flag(&memory, 0, 2);
    EXPECT_EQ(flag.setInt(5), 5);  // the value written comes back
    EXPECT_EQ(flag.getInt(), 1);   // stored as true
    TIntVar slot(&memory, 0, 4);
    memory.setInt(0, 7, 70);
    EXPECT_EQ(slot.addIndex(3), &slot);
    EXPECT_EQ(slot.getInt(), 70);
    EXPECT_EQ(TStrVar(&memory, 0, 9).setString("nine"), "nine");
    EXPECT_EQ(memory.getString(0, 9), "nine");
}

TEST_F(ValueTest, TheFactoryMakesConstantsForArea3AndRefusesOtherKinds) {
    auto c = newValue(&memory, kG2Bool, kG2Constant, 9);  // no boolean constants
    EXPECT_EQ(c->getType(), kG2Int);
    EXPECT_EQ(c->getInt(), 0);
    EXPECT_EQ(newValue(&memory, kG2String, kG2Constant, 0)->getString(), "");
    EXPECT_EQ(newValue(&memory, kG2Bool, 1, 6)->getType(), kG2Bool);
    EXPECT_EQ(errorCode([&] { newValue(&memory, 3, 0, 0); }), 0x100a);
    EXPECT_EQ(errorCode([&] { newValue(&memory, 0, 4, 0); }), 0x100a);
}

TEST_F(ValueTest, AStackSavesBottomToTopAndLoadsBackInOrder) {
    TValueStack stack;
    stack.push(std::make_unique<TIntValue>(7));
    stack.push(std::make_unique<TStrValue>("a"));
    stack.push(std::make_unique<TIntVar>(&memory, 1, 12));
    TMemoryStream m;
    TValueExchange out(&m, true);
    stack.exchange(out, &memory);
    // Records after the tag, "Capacity" and "Size" 3: int 7, the string "a", a variable at 12.
    const std::vector<uint8_t> tail(m.getBuffer() + 4, m.getBuffer() + m.size() - 2);
    const std::vector<uint8_t> records = {0, 3, 7, 2, 3, 1, 0, 0, 0, 'a' + 1, 0, 1, 12};
    EXPECT_EQ(tail, records);
    EXPECT_EQ(m.getBuffer()[3], 3);

    m.seek(0, 0);
    TValueStack loaded;
    TValueExchange in(&m, false);
    loaded.exchange(in, &memory);
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(loaded.at(0)->getInt(), 7);
    EXPECT_EQ(loaded.at(1)->getString(), "a");
    EXPECT_EQ(loaded.at(2)->getArea() * 100 + loaded.at(2)->getType(), 100);
    EXPECT_EQ(static_cast<TVarValue*>(loaded.at(2))->index, 12);
    EXPECT_EQ(loaded.pop()->getArea(), 1);

    // A record with an area out of range is error 0x100a.
    std::vector<uint8_t> bad = {'V', 'a', 1, 1, 0, 9, 0, 'V', 'a'};
    TMemoryStream b(bad.data(), static_cast<uint32_t>(bad.size()));
    TValueExchange badIn(&b, false);
    EXPECT_EQ(errorCode([&] { loaded.exchange(badIn, &memory); }), 0x100a);
}

// Values come from a per-thread store: many alive at once, kinds mixed, handed to another
// thread and deleted there, each keeps what it was given.
TEST_F(ValueTest, ValuesKeepTheirContentWhateverThreadMadeOrDeletesThem) {
    std::vector<std::unique_ptr<TValue>> values;
    for (int i = 0; i < 5000; ++i) {
        if (i % 3 == 0) values.push_back(std::make_unique<TIntValue>(i));
        if (i % 3 == 1) values.push_back(std::make_unique<TStrValue>(std::string(i % 50, 'x')));
        if (i % 3 == 2) values.push_back(newValue(&memory, kG2Int, 1, i % 16));
    }
    std::thread other([&] {
        for (size_t i = 0; i < values.size(); i += 2) values[i].reset();
        for (int i = 0; i < 3000; ++i) values.push_back(std::make_unique<TIntValue>(-i));
    });
    other.join();
    for (size_t i = 1; i < 5000; i += 2) {
        const int32_t kind = values[i]->getType();
        EXPECT_EQ(kind, i % 3 == 1 ? kG2String : kG2Int);
        if (i % 3 == 0) {
            EXPECT_EQ(values[i]->getInt(), static_cast<int32_t>(i));
        } else if (i % 3 == 1) {
            EXPECT_EQ(values[i]->getString(), std::string(i % 50, 'x'));
        } else {
            EXPECT_EQ(values[i]->getArea(), 1);
        }
    }
    for (int i = 0; i < 3000; ++i) EXPECT_EQ(values[5000 + i]->getInt(), -i);
    values.clear();
    EXPECT_TRUE(std::make_unique<TIntValue>(7)->isIntConstant());
    EXPECT_FALSE(newValue(&memory, kG2Int, 1, 0)->isIntConstant());
}

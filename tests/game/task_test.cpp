// The game tasks' command queue.
#include <gtest/gtest.h>

#include "game/task.h"

using namespace game;
using Bytes = std::vector<u8>;

namespace {

class QueueTask : public game::TTask {
public:
    void update() override {}
};

}  // namespace

TEST(GameCmd, CopiesItsBytesAndKeepsItsAddress) {
    Bytes src{1, 2, 3};
    TCmd cmd(2, SERVER_ID, 3010, src.data(), 3);
    src[0] = 9;  // the command holds its own copy
    EXPECT_EQ(cmd.bytes(), (Bytes{1, 2, 3}));
    EXPECT_EQ(cmd.sender(), 2);
    EXPECT_EQ(cmd.receiver(), 255);
    EXPECT_EQ(cmd.code(), 3010u);

    EXPECT_TRUE(TCmd(0, 0, 1002, nullptr, 0).bytes().empty());
    EXPECT_TRUE(TCmd(0, 0, 1002, src.data(), 0).bytes().empty());
    EXPECT_TRUE(TCmd(0, 0, 1002, src.data(), -5).bytes().empty());
}

TEST(GameTaskQueue, FirstInFirstOutAndFrontTests) {
    QueueTask t;
    EXPECT_FALSE(t.hasCmd());
    EXPECT_FALSE(t.isFrontCmd(1002));
    EXPECT_FALSE(t.isFrontCmd(0));
    t.popCmd();  // nothing to pop: no harm

    EXPECT_EQ(t.pushCmd(1, SERVER_ID, 1002, nullptr, 0), 1);  // C_READY has no body
    const Bytes body{7};
    EXPECT_EQ(t.pushCmd(2, SERVER_ID, 1003, body.data(), 1), 2);
    EXPECT_TRUE(t.hasCmd());
    EXPECT_TRUE(t.isFrontCmd(1002));
    EXPECT_FALSE(t.isFrontCmd(1003));
    EXPECT_TRUE(t.frontCmd()->bytes().empty());

    t.popCmd();
    EXPECT_TRUE(t.isFrontCmd(1003));
    EXPECT_EQ(t.frontCmd()->sender(), 2);
    EXPECT_EQ(t.frontCmd()->bytes(), body);
    t.popCmd();
    EXPECT_FALSE(t.hasCmd());
    EXPECT_TRUE(t.cmdQueue().empty());
}

TEST(GameTaskQueue, RefusesBytesThatAreNotThere) {
    QueueTask t;
    EXPECT_EQ(t.pushCmd(0, SERVER_ID, 3005, nullptr, 13), -1);
    EXPECT_FALSE(t.hasCmd());
    EXPECT_EQ(t.pushCmd(0, SERVER_ID, 3005, nullptr, -1), 1);  // no bytes claimed: an empty message
    EXPECT_TRUE(t.frontCmd()->bytes().empty());
}

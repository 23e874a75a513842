// The image display table: its CSV file, the seen bits by id and by name, and their save.
#include "script/img_disp.h"

#include <gtest/gtest.h>

#include "framework/stream.h"
#include "script/value_exchange.h"

namespace {

void load(TG2ImgDisp& t, std::string text) {
    TMemoryStream m(text.data(), static_cast<uint32_t>(text.size()));
    ASSERT_TRUE(t.load(m));
}

}  // namespace

TEST(ImgDispTest, RecordsGiveOneBitPerIdAndCommentsAreSkipped) {
    TG2ImgDisp t;
    load(t, "1,ev01a\r\n;1,x\r\n3;x,y\r\n4\r\n-1,neg\r\n1,ev01b,ignored\r\n\"2\",\"ev02\"\r\n7,a;b\n5x,five");
    ASSERT_EQ(t.entries().size(), 3u);  // ids 1, 2 and 5
    EXPECT_EQ(t.find(1)->names, (std::vector<std::string>{"ev01a", "ev01b"}));
    EXPECT_EQ(t.find(2)->index, 1);
    EXPECT_EQ(t.find(5)->index, 2);  // "5x" reads as 5
    EXPECT_EQ(t.size(), 1);

    t.setSeenByName("EV01A");
    EXPECT_TRUE(t.isSeenByName("ev01b"));
    EXPECT_TRUE(t.isSeen(1));
    EXPECT_TRUE(t.test(0));
    EXPECT_FALSE(t.isSeenByName("ev02"));
    EXPECT_FALSE(t.isSeen(9));
    t.setSeen(9);  // not in the table: nothing
    EXPECT_FALSE(t.allSeen(nullptr));
    t.setSeen(5);
    EXPECT_TRUE(t.allSeen("ev02"));
    t.setAllSeen(nullptr);
    EXPECT_TRUE(t.allSeen(nullptr));
}

TEST(ImgDispTest, BitsSurviveASaveAndAReload) {
    TG2ImgDisp t;
    load(t, "10,a\n20,b\n30,c\n");
    t.setSeen(20);
    TMemoryStream m;
    TValueExchange out(&m, true);
    t.exchange(out);

    TG2ImgDisp u;
    m.seek(0, 0);
    TValueExchange in(&m, false);
    u.exchange(in);  // the bits come first (from the common save), the file after
    load(u, "10,a\n20,b\n30,c\n40,d\n");
    EXPECT_TRUE(u.isSeen(20));
    EXPECT_FALSE(u.isSeen(10) || u.isSeen(40));
    u.setSeen(40);  // grows to the fourth bit
    EXPECT_TRUE(u.isSeenByName("D"));
    u.clearEntries();
    EXPECT_FALSE(u.isSeen(40));
    EXPECT_TRUE(u.test(3));  // the bits stay
}

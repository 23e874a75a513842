// The document in the engine's place: the script's text reaches the real frames, the engine
// reads the pen back, and a save through the engine's interface brings the pages back.
#include <gtest/gtest.h>

#include "doc_fixture.h"
#include "script/present/doc/engine_doc.h"

using namespace present;
using doctest::sj;

TEST(EngineDocAdapter, TheScriptsTextIsLaidOutInTheRealFrameAndComesBackFromASave) {
    TG2Engine engine;
    engine.status().font = sj("ＭＳ 明朝");
    EngineDocAdapter doc(engine);
    ASSERT_TRUE(doc.create());
    doc.setCurrentFrame(2);
    doc.real().getFrame(2)->setRect({0, 0, 400, 100});
    doc.currentFrame()->putText(sj("麻雀"));
    doc.currentFrame()->newLine();
    doc.currentFrame()->putText("ab");
    EXPECT_EQ(doc.real().getFrame(2)->text(), sj("麻雀") + "\\nab");
    EXPECT_EQ(doc.currentFrame()->penX(), 24);
    EXPECT_EQ(doc.currentFrame()->penY(), 9 + 33);
    EXPECT_EQ(doc.real().getFrame(2)->mainFont().face, sj("ＭＳ 明朝"));
    doc.currentFrame()->setVisible(255);
    EXPECT_EQ(doc.real().getFrame(2)->blend, 255);
    doc.setCurrentFrame(9);  // refused
    EXPECT_EQ(doc.currentFrameIndex(), 2);

    TMemoryStream m;
    {
        TValueExchange x(&m, true);
        doc.exchange(x);
    }
    m.seek(0, 0);
    EngineDocAdapter loaded(engine);
    ASSERT_TRUE(loaded.create());
    TValueExchange x(&m, false);
    loaded.exchange(x);
    EXPECT_EQ(loaded.currentFrameIndex(), 2);
    EXPECT_EQ(loaded.currentFrame()->text(), doc.currentFrame()->text());
    EXPECT_TRUE(doctest::samePixels(doc.real().getFrame(2)->surface(), loaded.real().getFrame(2)->surface()));
    loaded.term();
    EXPECT_EQ(loaded.currentFrame(), nullptr);
}

#include "storage/gfl_block.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "gce_writer.h"

namespace {

using gce::GflBlockDecoder;

std::vector<uint8_t> packedBlock(uint32_t n, const std::string& literals, const std::vector<uint8_t>& bits) {
    std::vector<uint8_t> b = {'G', 'C', 'E', '1'};
    auto put = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(n);
    put(0);
    put(static_cast<uint32_t>(literals.size()));
    put(static_cast<uint32_t>(literals.size()));
    put(static_cast<uint32_t>(bits.size()));
    b.insert(b.end(), literals.begin(), literals.end());
    b.insert(b.end(), bits.begin(), bits.end());
    return b;
}

int decodeError(const std::vector<uint8_t>& block) {
    GflBlockDecoder d;
    std::vector<uint8_t> out(gce::kBlockMaxOutput);
    try {
        d.decodeBlock(block.data(), block.size(), out.data(), out.size());
    } catch (const GflException& e) {
        return e.code();
    }
    return 0;
}

std::vector<uint8_t> decodeAll(const std::vector<uint8_t>& blocks, size_t size) {
    std::vector<uint8_t> out(size);
    GflMemoryStream src(static_cast<const void*>(blocks.data()), blocks.size());
    gce::decodeBlocksTo(src, out.data(), out.size());
    return out;
}

std::vector<uint8_t> textLike(size_t n, uint32_t seed) {
    static const char* const words[] = {"the ",     "wind ",   "tile ", "riichi ", "\r\n", "dora ", "0x1F, ",
                                        "mahjong ", "script ", "pon ",  "<b>",     "</b>", "an ",   "of "};
    std::mt19937 rng(seed);
    std::vector<uint8_t> v;
    while (v.size() < n) {
        const char* w = words[rng() % (sizeof words / sizeof *words)];
        for (const char* c = w; *c && v.size() < n; ++c) v.push_back(static_cast<uint8_t>(*c));
    }
    return v;
}

TEST(GflBlock, DecodesTheStoredAndPackedExamples) {
    GflBlockDecoder d;
    std::vector<uint8_t> out(16, 0xEE);
    std::vector<uint8_t> stored = {'G', 'C', 'E', '0', 3, 0, 0, 0, 'x', 'y', 'z'};
    size_t used = 0;
    EXPECT_EQ(d.decodeBlock(stored.data(), stored.size(), out.data(), out.size(), &used), 3u);
    EXPECT_EQ(used, 11u);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 3), "xyz");

    // Four literals, then a copy of two from where the context "AB" was last seen.
    std::vector<uint8_t> packed = packedBlock(6, "ABAB", {0x11});
    EXPECT_EQ(d.decodeBlock(packed.data(), packed.size(), out.data(), out.size()), 6u);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 6), "ABABAB");
}

TEST(GflBlock, BrokenBlocksThrowCodeFiveInsteadOfOverrunning) {
    // A context never seen: the table starts at -1, so the copy has no source.
    EXPECT_EQ(decodeError(packedBlock(4, "AB", {0b00110000})), 5);  // gamma 2 literals, then a match
    // A literal run longer than the literal area.
    EXPECT_EQ(decodeError(packedBlock(6, "AB", {0b00010000})), 5);
    // A literal run past the block's output size.
    EXPECT_EQ(decodeError(packedBlock(2, "ABAB", {0b00010000})), 5);
    // A match past the output size (AB AB then a copy of 3 into a block of 5).
    EXPECT_EQ(decodeError(packedBlock(5, "ABAB", {0b00010000, 0b10000000 | 0b0010000})), 5);
    // The bit stream ends before the block is complete.
    EXPECT_EQ(decodeError(packedBlock(9, "ABAB", {0x11})), 5);
    // Stated sizes past the bytes of the block.
    std::vector<uint8_t> b = packedBlock(6, "ABAB", {0x11});
    b[20] = 0xFF;
    EXPECT_EQ(decodeError(b), 5);
    // An output size over 262,144.
    b = packedBlock(6, "ABAB", {0x11});
    b[4] = 1, b[5] = 0, b[6] = 4, b[7] = 0;
    EXPECT_EQ(decodeError(b), 5);
    // Unknown magic, and a stored block shorter than it claims.
    EXPECT_EQ(decodeError({'G', 'C', 'E', '7', 0, 0, 0, 0}), 5);
    EXPECT_EQ(decodeError({'G', 'C', 'E', '0', 9, 0, 0, 0, 'a'}), 5);
    EXPECT_EQ(decodeError({'G', 'C', 'E'}), 5);
    // A long run of zero bits in the length code.
    EXPECT_EQ(decodeError(packedBlock(6, "ABAB", {0, 0, 0, 0})), 5);
}

TEST(GflBlock, ReadBlockFromAStreamStopsAtShortData) {
    std::vector<uint8_t> block = packedBlock(6, "ABAB", {0x11});
    GflBlockDecoder d;
    std::vector<uint8_t> out(gce::kBlockMaxOutput);
    GflMemoryStream whole(static_cast<const void*>(block.data()), block.size());
    EXPECT_EQ(d.readBlock(whole, out.data(), out.size()), 6u);
    for (size_t cut : {size_t{0}, size_t{5}, size_t{8}, size_t{20}, block.size() - 1}) {
        GflMemoryStream part(static_cast<const void*>(block.data()), cut);
        EXPECT_THROW(d.readBlock(part, out.data(), out.size()), GflException) << cut;
    }
}

TEST(GflBlock, EncoderRoundTripsEverySizeUpToAFullBlock) {
    GflBlockDecoder d;
    std::vector<uint8_t> out(gce::kBlockMaxOutput);
    std::mt19937 rng(3);
    std::vector<size_t> sizes = {0, 1, 2, 3, 4, 5, 17, 255, 256, 4095, 65536, 100000, 262143, 262144};
    for (int i = 0; i < 20; ++i) sizes.push_back(rng() % (gce::kBlockMaxOutput + 1));
    for (size_t n : sizes) {
        std::vector<uint8_t> text = textLike(n, static_cast<uint32_t>(n));
        std::vector<uint8_t> noise(n);
        for (auto& b : noise) b = static_cast<uint8_t>(rng());
        std::vector<uint8_t> runs(n, 'z');
        for (const auto* input : {&text, &noise, &runs}) {
            std::vector<uint8_t> packed = gcepack::encodePackedBlock(input->data(), input->size());
            if (packed.size() > gce::kBlockBufferSize) {
                // Incompressible input packs past the block limit: the reader refuses such a
                // block, which is why the writer stores it instead.
                EXPECT_THROW(d.decodeBlock(packed.data(), packed.size(), out.data(), out.size()), GflException);
                packed = gcepack::encodeBlock(input->data(), input->size());
            }
            ASSERT_EQ(d.decodeBlock(packed.data(), packed.size(), out.data(), out.size()), n);
            ASSERT_TRUE(std::equal(input->begin(), input->end(), out.begin())) << n;
            std::vector<uint8_t> chosen = gcepack::encodeBlock(input->data(), input->size());
            ASSERT_LE(chosen.size(), n + 8);
            ASSERT_EQ(d.decodeBlock(chosen.data(), chosen.size(), out.data(), out.size()), n);
            ASSERT_TRUE(std::equal(input->begin(), input->end(), out.begin())) << n;
        }
    }
}

TEST(GflBlock, EncoderPicksTheStoredKindWhenPackingDoesNotPay) {
    std::mt19937 rng(5);
    std::vector<uint8_t> noise(5000);
    for (auto& b : noise) b = static_cast<uint8_t>(rng());
    std::vector<uint8_t> block = gcepack::encodeBlock(noise.data(), noise.size());
    EXPECT_EQ(std::string(block.begin(), block.begin() + 4), "GCE0");
    EXPECT_EQ(block.size(), noise.size() + 8);

    std::vector<uint8_t> text = textLike(200000, 9);
    block = gcepack::encodeBlock(text.data(), text.size());
    EXPECT_EQ(std::string(block.begin(), block.begin() + 4), "GCE1");
    EXPECT_LT(block.size(), text.size() / 2);
}

TEST(GflBlock, MultiBlockBuffersRoundTripThroughTheStreamDecoder) {
    std::vector<uint8_t> text = textLike(3 * gce::kBlockMaxOutput + 777, 1);
    std::vector<uint8_t> blocks = gcepack::encodeBlocks(text.data(), text.size());
    EXPECT_EQ(decodeAll(blocks, text.size()), text);
    // Asking for more than the blocks hold runs out of input; asking for less stops inside a
    // block's output and is refused rather than written past the buffer.
    EXPECT_THROW(decodeAll(blocks, text.size() + 1), GflException);
    EXPECT_THROW(decodeAll(blocks, text.size() - 1), GflException);
}

}  // namespace

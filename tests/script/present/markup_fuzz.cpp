// Any bytes as message text, appended in pieces to a frame and a recording backlog in either
// mode, then viewed and scrolled; and any bytes as a saved document. Every run ends normally
// or with an engine error, never outside its buffers.
#include "doc_fixture.h"
#include "support/fuzz.h"

#include <random>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // A small screen keeps the backlog's surface cheap to clear.
    static doctest::TestHost host = [] {
        doctest::TestHost h;
        h.screen = {240, 180};
        return h;
    }();
    host.cells.drawn.clear();
    present::TG2Doc doc(host);
    doc.create();
    const uint8_t plan = data[0];
    const auto* text = reinterpret_cast<const char*>(data + 1);
    const size_t n = size - 1;
    if (plan & 0x80) {
        try {
            doctest::load(doc, std::string(text, n));
            doc.openLogView();
            doc.scrollLogView(-3);
        } catch (const TError&) {}
        return 0;
    }
    present::TG2DocFrame* frame = doc.getFrame(plan & 7);
    frame->setRect({0, 0, 8 + (plan & 0x38) * 8, 120});
    doc.getLog()->mode = plan & 0x40 ? 3 : 7;
    doc.getLog()->capacity = 6;
    const size_t piece = 1 + (plan & 7);
    for (size_t at = 0; at < n; at += piece) frame->appendText(text + at, std::min(piece, n - at));
    frame->relayout();
    doc.openLogView();
    doc.scrollLogView(-2);
    doc.scrollLogView(1);
    return 0;
}

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    std::mt19937 rng(1);
    for (int i = 0; i < 16; ++i) {
        std::string s = std::string(1, static_cast<char>(i * 9)) + randomMarkup(rng);
        seeds.emplace_back(s.begin(), s.end());
    }
    // A saved document with text in a frame and the backlog.
    doctest::TestHost host;
    present::TG2Doc doc(host);
    doc.create();
    doc.getLog()->mode = 7;
    doc.addSymbolStyle(0x8199, "s.bmp");
    doc.getFrame(0)->appendString(randomMarkup(rng));
    std::string saved = "\x80" + doctest::save(doc);
    seeds.emplace_back(saved.begin(), saved.end());
    return seeds;
}

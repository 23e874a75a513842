// Animated-sprite descriptions of any bytes: read with a texture source whose every picture
// loads, then played for a few frames and drawn.
#include <cstring>
#include <string>
#include <vector>

#include "fake_store.h"
#include "graphics/spd.h"
#include "support/fuzz.h"

using namespace graphics;

namespace {

// Every name loads as a small picture.
class AnyPicture : public FakeStore {
public:
    graphics::TSurface32* loadSurfaceWith(const std::string&, const graphics::TImageTrans*, bool) override {
        auto* s = new graphics::TSurface32;
        s->createFilled(6, 5, 0x80FF8040u);
        return s;
    }
};

const char* kSeed =
    "[FileInfo]\nkind=WSD\nnumTexture=2\nnumCharactor=2\nnumAnimation=2\n[Texture]\nFile0=a.bmp;b(2,2,1,1)\n"
    "File1=b.bmp\n[Charactor_0]\nnumChip=2\nChip0=0,1,2,0,0,4,4\nChip1=1,-3,0,2,2,9,9\n[Charactor_1]\nnumChip=1\n"
    "Chip0=1,0,0,0,0,6,5\n[Animation_0]\nStep0=mark\nStep1=time,2,0\nStep2=blend,40,3\nStep3=zoom,500,2000,2\n"
    "Step4=for,3\nStep5=mark\nStep6=time,1,1\nStep7=next\nStep8=flag,2,1\nStep9=hide\nStep10=show\nStep11=until\n"
    "[Animation_1]\nStep0=time,1,5\nStep1=pause\n";

// A character as large as numbers go, zoomed as far as a step can.
const char* kHugeSeed =
    "[FileInfo]\nkind=WSD\nnumTexture=1\nnumCharactor=1\nnumAnimation=1\n[Texture]\nFile0=a.bmp\n"
    "[Charactor_0]\nnumChip=1\nChip0=0,0,0,0,0,2147483647,2147483647\n"
    "[Animation_0]\nStep0=zoom,2147483647,-2147483647,1\nStep1=pause\n";

}  // namespace

std::vector<std::vector<uint8_t>> mjFuzzSeeds() {
    return {std::vector<uint8_t>(kSeed, kSeed + std::strlen(kSeed)),
            std::vector<uint8_t>(kHugeSeed, kHugeSeed + std::strlen(kHugeSeed))};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AnyPicture store;
    TSurfaceSet surfaces;
    TSpdData d;
    d.setTextureSource(&surfaces);
    TMemoryStream s;
    s.write(data, static_cast<uint32_t>(size));
    s.seek(0, 0);
    if (!d.read(s, "")) return 0;
    TSurface32 target;
    target.createFilled(32, 32, 0xFF000000u);
    TSpdObj o(&d);
    for (int n = -1; n < 3; ++n) {
        o.select(n);
        o.start();
        for (int f = 0; f < 12; ++f) {
            o.update();
            o.draw(target);
        }
        // Sized by the owner: the zoom that gives the size follows from the character's.
        o.setSize(40, -30);
        (void)o.getSize();
        o.draw(target);
    }
    return 0;
}

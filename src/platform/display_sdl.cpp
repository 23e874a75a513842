// SDL's pixel converter as a reference for the program's own.
#include <SDL.h>

#include "platform/display.h"

namespace platform {

bool referenceConvertFromArgb(const DisplayFormat& format, const uint32_t* argb, int width, int height, uint8_t* out,
                              int outPitch) {
    const Uint32 to = SDL_MasksToPixelFormatEnum(static_cast<int>(format.bitCount), format.redMask, format.greenMask,
                                                 format.blueMask, 0);
    if (to == SDL_PIXELFORMAT_UNKNOWN) return false;
    return SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_ARGB8888, argb, width * 4, to, out, outPitch) == 0;
}

}  // namespace platform

#pragma once
// Fixtures and fuzz seeds are encoded at run time, with the demo data kit's Vorbis encoder.
#include "vorbis_encoder.h"

namespace soundtest {

using kit::encodeVorbis;

}  // namespace soundtest

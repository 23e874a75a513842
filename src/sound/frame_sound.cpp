#include "sound/frame_sound.h"

#include <cstdio>

#include "sound/direct_sound.h"
#include "sound/ogg_stream.h"
#include "storage/storage.h"

bool TFrameSoundDevice::create(TWindow* window, uint32_t rate, uint16_t bits, bool stereo) {
    lastResult_ = TDirectSound::createInstance(window, nullptr, rate, bits, stereo);
    // Said here, once, so that the player learns why the game is silent; the sounds that then
    // cannot play say nothing more.
    if (lastResult_ != 0 && !TDirectSound::outputError().empty())
        std::fprintf(stderr, "no audio device could be opened (%s): the game runs silent\n",
                     TDirectSound::outputError().c_str());
    if (auto* store = dynamic_cast<TStorageGraph*>(TStorage::instance())) store->setWaveFactory(new TOpenOgg, true);
    return lastResult_ == 0;
}

void TFrameSoundDevice::destroy() { TDirectSound::destroyInstance(); }
void TFrameSoundDevice::pause() { TDirectSound::pauseAll(); }
void TFrameSoundDevice::resume() { TDirectSound::resumeAll(); }

std::unique_ptr<TFrameSound> makeFrameSoundDevice() { return std::make_unique<TFrameSoundDevice>(); }

void useSoundForFrames() { setFrameSoundMaker(&makeFrameSoundDevice); }

#include "sound/frame_sound.h"

#include "sound/direct_sound.h"
#include "sound/ogg_stream.h"
#include "storage/storage.h"

bool TFrameSoundDevice::create(TWindow* window, uint32_t rate, uint16_t bits, bool stereo) {
    lastResult_ = TDirectSound::createInstance(window, nullptr, rate, bits, stereo);
    if (auto* store = dynamic_cast<TStorageGraph*>(TStorage::instance())) store->setWaveFactory(new TOpenOgg, true);
    return lastResult_ == 0;
}

void TFrameSoundDevice::destroy() { TDirectSound::destroyInstance(); }
void TFrameSoundDevice::pause() { TDirectSound::pauseAll(); }
void TFrameSoundDevice::resume() { TDirectSound::resumeAll(); }

std::unique_ptr<TFrameSound> makeFrameSoundDevice() { return std::make_unique<TFrameSoundDevice>(); }

void useSoundForFrames() { setFrameSoundMaker(&makeFrameSoundDevice); }

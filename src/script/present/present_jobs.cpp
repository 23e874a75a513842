#include "script/present/present_jobs.h"

#include "script/present/ui/menu/menu.h"
#include "script/present/sound/music.h"
#include "script/present/jobs/text_jobs.h"
#include "sound/wave.h"
#include "sound/wave_stream.h"

namespace present {

std::unique_ptr<TDwarf> createStandingJob(TG2Engine& engine, int32_t code) {
    switch (code) {
        case 1:
            return std::make_unique<TTextOutDwarf>(engine);
        case 2: {
            auto job = std::make_unique<TClickDwarf>(engine);
            job->loadPictures();
            return job;
        }
        case 3: {
            auto job = std::make_unique<TMenuDwarf>(engine);
            job->loadSounds();
            return job;
        }
        case 7:
            return std::make_unique<TClickGotoDwarf>(engine);
        default:
            return nullptr;
    }
}

std::unique_ptr<EngineMusic> createMusic(TG2Engine& engine, std::unique_ptr<TCdBackend> cd) {
    return std::make_unique<TG2Music>(engine.status(), std::move(cd), engine.host().window(), &engine);
}

std::unique_ptr<EngineMenu> createMenu() { return std::make_unique<TG2MenuBranch>(); }

}  // namespace present

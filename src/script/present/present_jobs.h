#pragma once
// The presentation's text jobs, menu and music in the engine's places: the standing jobs of text
// output, click wait, click and jump and the menu, the music and the menu, for the engine's
// factories.
#include <cstdint>
#include <memory>

#include "script/dwarf.h"
#include "script/engine.h"
#include "sound/cd_audio.h"

namespace present {

// The standing job of a code that the presentation makes (1, 2, 3, 7), pictures and sounds
// loaded; null for the others.
std::unique_ptr<TDwarf> createStandingJob(TG2Engine& engine, int32_t code);
// The engine's music: its CD player reports to the engine's main window, so that a track asked
// to repeat starts again when it ends; the CD back end is the system's unless one is given.
std::unique_ptr<EngineMusic> createMusic(TG2Engine& engine, std::unique_ptr<TCdBackend> cd = nullptr);
std::unique_ptr<EngineMenu> createMenu();

}  // namespace present

// The game program: the main frame and the application object on the real window, screen,
// sound and input. "--lobby" goes from the title straight on to the network lobby; an address
// after it ("HOST" or "HOST:PORT") is the server to join and the port, over the settings file.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/lobby_screen.h"
#include "app/main_frame.h"
#include "app/task_title.h"
#include "framework/application.h"
#include "graphics/frame_screen.h"
#include "platform/window_system.h"
#include "sound/frame_sound.h"
#include "store/frame_storage.h"

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 0; i < argc; ++i) {
        commandLine += (i ? " " : "") + std::string(argv[i]);
        if (i == 0) continue;
        if (std::strcmp(argv[i], "--lobby") == 0) {
            TTaskTitle::requestLobby();
            if (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0) {
                if (!app::TTaskLobby::setCommandLineAddress(argv[i + 1])) {
                    std::fprintf(stderr, "mahjong: \"%s\" is no HOST or HOST:PORT\n", argv[i + 1]);
                    return 2;
                }
                commandLine += " " + std::string(argv[++i]);
            }
        } else {
            std::fprintf(stderr, "usage: %s [--lobby [HOST[:PORT]]]\n", argv[0]);
            return 2;
        }
    }
    if (!platform::initWindowSystem(platform::Backend::Sdl)) {
        std::fprintf(stderr, "mahjong: no display could be opened\n");
        return 1;
    }
    useStorageForFrames();
    // The system screen draws on layers 210 to 230, the fade on the top one.
    graphics::useGraphicScreenForFrames(256);
    useSoundForFrames();
    int code;
    {
        TPlayerApp app(identity::kInstanceName, new TMainFrame);
        code = app.run(nullptr, nullptr, commandLine.c_str(), platform::SW_SHOW);
    }
    platform::shutdownWindowSystem();
    return code;
}

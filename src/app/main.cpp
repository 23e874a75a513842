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

namespace {

const char kUsage[] =
    "usage: mj-game [--lobby [HOST[:PORT]]] [--help]\n"
    "  --lobby [HOST[:PORT]]  go from the title straight on to the network lobby; HOST, or HOST and\n"
    "                         PORT, is the server to join and the port (over the settings file)\n"
    "  --help                 print this and exit\n"
    "The game opens a window, so it needs a display. Its settings and saves are kept in save/ beside\n"
    "the program. Exits with 1 when it cannot start, 2 on a bad argument.\n";

}  // namespace

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 0; i < argc; ++i) {
        if (i) commandLine += ' ';
        commandLine += argv[i];
        if (i == 0) continue;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--lobby") == 0) {
            TTaskTitle::requestLobby();
            if (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0) {
                if (!app::TTaskLobby::setCommandLineAddress(argv[i + 1])) {
                    std::fprintf(stderr, "mahjong: \"%s\" is no HOST or HOST:PORT\n", argv[i + 1]);
                    return 2;
                }
                commandLine += ' ';
                commandLine += argv[++i];
            }
        } else {
            std::fprintf(stderr, "mahjong: unknown argument '%s' (--help lists the arguments)\n", argv[i]);
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

#include "framework/application.h"

#include "framework/window_frame.h"

#include <cfenv>
#include <cstdio>

#include "framework/application_error.h"
#include "framework/application_texts.h"
#include "framework/file_system.h"
#include "framework/frame.h"
#include "framework/window.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/process.h"

namespace {

TApp* theApp = nullptr;
MessageBoxHandler boxHandler = nullptr;

int platformMessageBox(platform::HWND owner, const std::string& text, const std::string& caption, uint32_t type) {
    return platform::messageBox(text, caption, type, platform::nativeWindow(owner));
}

}  // namespace

void setMessageBoxHandler(MessageBoxHandler handler) { boxHandler = handler; }

int systemMessageBox(platform::HWND owner, const std::string& text, const std::string& caption, uint32_t type) {
    return (boxHandler ? boxHandler : platformMessageBox)(owner, text, caption, type);
}

TApp* application() { return theApp; }

// ---- TApp ---------------------------------------------------------------------------------------

TApp::TApp(std::string makerName, std::string appName)
    : makerName_(std::move(makerName)), appName_(std::move(appName)) {
    theApp = this;
}

TApp::~TApp() {
    if (theApp == this) theApp = nullptr;
}

bool TApp::init(HINSTANCE instance, const char* commandLine, int showCommand) {
    instance_ = instance;
    commandLine_ = commandLine ? commandLine : "";
    showCommand_ = showCommand;
    std::string path = moduleFileName();
    size_t cut = path.npos;
    // The last backslash that is not the trail byte of a double-byte character.
    for (size_t i = 0; i < path.size(); ++i) {
        auto b = static_cast<unsigned char>(path[i]);
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
            ++i;
            continue;
        }
        if (b == '\\') cut = i;
    }
    if (cut == path.npos) {
        moduleFolder_.clear();
        moduleName_ = path;
    } else {
        moduleFolder_ = path.substr(0, cut);
        moduleName_ = path.substr(cut + 1);
    }
    return true;
}

std::string TApp::moduleFileName() const { return platform::moduleFileName(); }

std::string TApp::modulePath(const std::string& name) const { return combinePath(moduleFolder_, name); }

std::string TApp::loadString(unsigned) const { return {}; }

int TApp::mainLoop() {
    quit_ = false;
    do {
        if (!pumpMessages()) break;
        idle();
        platform::sleepMs(0);
    } while (!quit_);
    return exitCode_;
}

bool TApp::pumpMessages() {
    while (platform::peekMessage(msg_, true)) {
        if (msg_.message == platform::WM_QUIT) {
            exitCode_ = static_cast<int>(static_cast<intptr_t>(msg_.wParam));
            quit_ = true;
            return false;
        }
        platform::translateMessage(msg_);
        platform::dispatchMessage(msg_);
    }
    return true;
}

void TApp::idle() {
    if (mainWindow_) mainWindow_->idle();
}

int TApp::messageBox(unsigned resourceId, uint32_t type) {
    if (mainWindow_) return mainWindow_->messageBox(resourceId, type);
    return systemMessageBox(nullptr, loadString(resourceId), appName_, type);
}

int TApp::messageBox(const std::string& text, uint32_t type) {
    if (mainWindow_) return mainWindow_->messageBox(text, type);
    return systemMessageBox(nullptr, text, appName_, type);
}

int TApp::messageBox(const char* text, uint32_t type) {
    if (mainWindow_) return mainWindow_->messageBox(text, type);
    return systemMessageBox(nullptr, text ? text : "", appName_, type);
}

int TApp::messageBox(const char* text, const char* caption, uint32_t type) {
    if (mainWindow_) return mainWindow_->messageBox(text, caption, type);
    return systemMessageBox(nullptr, text ? text : "", caption ? caption : "", type);
}

// ---- TGameApp -----------------------------------------------------------------------------------

TGameApp::TGameApp(std::string instanceName, TGameFrame* frame, std::string makerName, std::string appName)
    : TApp(std::move(makerName), std::move(appName)), instanceName_(std::move(instanceName)), frame_(frame) {
    // The thread's floating-point state starts from the defaults, whatever ran before.
    std::fesetenv(FE_DFL_ENV);
}

TGameApp::~TGameApp() {
    delete frame_;
    frame_ = nullptr;
}

TWindow* TGameApp::createMainWindow() { return new TWindow("TWindow"); }

int TGameApp::run(HINSTANCE instance, HINSTANCE, const char* commandLine, int showCommand) {
    exitCode_ = 0;
    if (!skipCheck_ && !mutex_.create(instanceName_)) {
        if (platform::HWND other = platform::findWindow(instanceName_)) platform::setForegroundWindow(other);
        return 0;
    }
    try {
        init(instance, commandLine, showCommand);
        TWindow* window = createMainWindow();
        setMainWindow(window);
        if (!window) throw TException(kErrNoMainWindow);
        window->setTitle(instanceName_);
        if (uint32_t code = window->create(nullptr, nullptr, nullptr)) throw TException(code);
        if (frame_ && frame_->create(instance, window)) {
            frame_->startFrame();
            window->showWindow(showCommand);
            mainLoop();
        }
    } catch (const TException& e) {
        char code[16];
        std::snprintf(code, sizeof code, "%x", static_cast<unsigned>(e.code()));
        messageBox((texts::applicationErrorPrefix() + code + ")").c_str(), platform::MB_OK);
    } catch (TError& e) {
        messageBox(e.text().c_str(), platform::MB_OK);
    }
    if (frame_) {
        frame_->terminate();
        delete frame_;
        frame_ = nullptr;
    }
    if (TWindow* window = mainWindow()) {
        setMainWindow(nullptr);
        delete window;
    }
    return exitCode_;
}

void TGameApp::idle() {
    if (frame_ && !frame_->run()) {
        platform::postQuitMessage(0);
        return;
    }
    TApp::idle();
}

// ---- TPlayerApp ---------------------------------------------------------------------------------

TPlayerApp::TPlayerApp(std::string instanceName, TGameFrame* frame)
    : TGameApp(std::move(instanceName), frame, identity::kMakerName, identity::kAppName) {
    skipCheck_ = true;
}

TWindow* TPlayerApp::createMainWindow() {
    if (auto* frame = dynamic_cast<TGameFrameG2*>(this->frame())) return new TPlayerWindow(frame);
    return new TWindow(TPlayerWindow::kClassName);
}

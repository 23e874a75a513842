#pragma once
// The application object: the process identity, the message loop on the main thread and the
// run operation that creates the main window and the frame, steps the frame once per idle step
// and shows what was thrown. Exactly one exists; its constructor makes it reachable through
// application().
#include <cstdint>
#include <string>

#include "framework/thread.h"
#include "platform/window_system.h"

class TWindow;
class TGameFrame;

using HINSTANCE = void*;

// The identity strings of the program.
namespace identity {
inline constexpr const char* kInstanceName = "Tovimare";
inline constexpr const char* kMakerName = "Tovimare";
inline constexpr const char* kAppName = "MAHJONG";
}  // namespace identity

// Shows a message box (Shift-JIS texts) owned by the window (or none) and returns the button's
// id. Goes to the platform's message box unless a test installed another handler.
using MessageBoxHandler = int (*)(platform::HWND owner, const std::string& text, const std::string& caption,
                                  uint32_t type);
void setMessageBoxHandler(MessageBoxHandler handler);  // null restores the platform's
int systemMessageBox(platform::HWND owner, const std::string& text, const std::string& caption, uint32_t type);

class TApp {
public:
    TApp(std::string makerName, std::string appName);
    virtual ~TApp();
    TApp(const TApp&) = delete;
    TApp& operator=(const TApp&) = delete;

    virtual std::string makerName() const { return makerName_; }
    virtual void setMakerName(const std::string& name) { makerName_ = name; }
    virtual std::string appName() const { return appName_; }
    virtual void setAppName(const std::string& name) { appName_ = name; }
    // Stores the three and splits the module path into folder and file name; always true.
    virtual bool init(HINSTANCE instance, const char* commandLine, int showCommand);
    virtual void onHook() {}
    virtual HINSTANCE instance() const { return instance_; }
    virtual void setMainWindow(TWindow* window) { mainWindow_ = window; }
    virtual TWindow* mainWindow() const { return mainWindow_; }
    // The executable's path in the system's spelling.
    virtual std::string moduleFileName() const;
    virtual std::string moduleName() const { return moduleName_; }
    virtual std::string moduleFolder() const { return moduleFolder_; }
    // name joined to the module folder; an absolute name as it is.
    virtual std::string modulePath(const std::string& name) const;
    // There are no string resources: the text is empty.
    virtual std::string loadString(unsigned resourceId) const;
    virtual int mainLoop();
    // False once the quit message has come (its wParam is then the exit code).
    virtual bool pumpMessages();
    virtual void idle();
    virtual int messageBox(unsigned resourceId, uint32_t type);
    virtual int messageBox(const std::string& text, uint32_t type);
    virtual int messageBox(const char* text, uint32_t type);
    virtual int messageBox(const char* text, const char* caption, uint32_t type);

    const std::string& commandLine() const { return commandLine_; }
    int showCommand() const { return showCommand_; }
    int exitCode() const { return exitCode_; }
    bool quitReceived() const { return quit_; }

protected:
    int exitCode_ = 0;
    bool quit_ = false;

private:
    HINSTANCE instance_ = nullptr;
    std::string commandLine_;
    int showCommand_ = 0;
    platform::Msg msg_;
    TWindow* mainWindow_ = nullptr;
    std::string makerName_;
    std::string appName_;
    std::string moduleName_;
    std::string moduleFolder_;
};

// The one application object, or null.
TApp* application();

class TGameApp : public TApp {
public:
    // Owns the frame (may be null).
    TGameApp(std::string instanceName, TGameFrame* frame, std::string makerName, std::string appName);
    ~TGameApp() override;

    virtual TWindow* createMainWindow();
    // Runs the program; the exit code of the quit message (0 after an error or when another
    // instance runs).
    virtual int run(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int showCommand);
    void idle() override;

    const std::string& instanceName() const { return instanceName_; }
    TGameFrame* frame() const { return frame_; }
    bool skipsInstanceCheck() const { return skipCheck_; }

protected:
    bool skipCheck_ = false;

private:
    std::string instanceName_;
    TMutex mutex_;
    TGameFrame* frame_;
};

class TPlayerApp : public TGameApp {
public:
    TPlayerApp(std::string instanceName, TGameFrame* frame);
    ~TPlayerApp() override = default;
    // The game's main window (TPlayerWindow) over a graphics frame, else a plain window of its class.
    TWindow* createMainWindow() override;
};

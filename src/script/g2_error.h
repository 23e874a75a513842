#pragma once
// How the script engine reports trouble. A fatal engine error throws TError (framework) with a
// G2ErrorCode; nothing in the engine catches it. A warning (G2WarningCode) names a file or an
// image specification that a command could not use: it never stops the script, always goes to
// the engine log, and is shown in an OK / CANCEL box only while the core asks for boxes.
#include <cstdint>
#include <functional>
#include <string>

#include "framework/application_error.h"

enum G2ErrorCode : int {
    kG2ErrNotImplemented = 0x1001,
    kG2ErrBadCode = 0x1002,
    kG2ErrStringAccess = 0x1003,
    kG2ErrConstAccess = 0x1004,
    kG2ErrSystemVarAccess = 0x1005,
    kG2ErrNumberAccess = 0x1006,
    kG2ErrUnsupported = 0x1007,
    kG2ErrThreadLoad = 0x1008,
    kG2ErrTooManySelClose = 0x1009,
    kG2ErrMemoryAccess = 0x100a,
    kG2ErrMemoryMap = 0x100b,
    kG2ErrExchange = 0x100c,
    kG2ErrExchangeCode = 0x100d,
    kG2ErrImageRelease = 0x100e,
    kG2ErrBankOperation = 0x100f,
    kG2ErrBankSearch = 0x1010,
    kG2ErrIconPlace = 0x1011,
    kG2ErrVariableAccess = 0x1012,
    kG2ErrCreateGraphic = 0x2001,
    kG2ErrCreateDoc = 0x2002,
    kG2ErrCreateMusic = 0x2003,
    kG2ErrCreateCore = 0x2004,
};

// The same values as some error codes, but a separate set.
enum G2WarningCode : int {
    kG2WarnFileGoto = 0x1000,
    kG2WarnFileCall = 0x1001,
    kG2WarnSpriteImage = 0x1002,
    kG2WarnMenuIconDef = 0x1003,
    kG2WarnImageSpec = 0x1004,
    kG2WarnMenuImage = 0x1005,
    kG2WarnImageFile = 0x1006,
    kG2WarnSePlay = 0x1007,
    kG2WarnVoice = 0x1008,
    kG2WarnBgmPlay = 0x1009,
    kG2WarnMediaPlay = 0x100a,
    kG2WarnActorVoice = 0x100b,
    kG2WarnSubGoto = 0x100c,
    kG2WarnSubCall = 0x100d,
    kG2WarnStyleNumber = 0x100e,
};

[[noreturn]] void throwG2Error(int code);
[[noreturn]] void throwG2Error(int code, const std::string& argument);

// The warning's format with its "%s" replaced by the argument (taken as text, never as a
// format); empty for a code without a row.
std::string formatG2Warning(int code, const std::string& argument);

// The engine log: every warning and every shown error goes here as one Shift-JIS line. The
// default writes to stderr (as UTF-8); null restores it.
using EngineLogSink = std::function<void(const std::string& line)>;
void setEngineLogSink(EngineLogSink sink);
void engineLog(const std::string& line);

// Where warnings are shown. The core installs its TG2Warnings (it owns the show-warnings state);
// without one a warning only reaches the log.
class TG2WarningHandler {
public:
    virtual ~TG2WarningHandler() = default;
    virtual void warning(int code, const std::string& argument) = 0;
};
void setWarningHandler(TG2WarningHandler* handler);
TG2WarningHandler* warningHandler();

// Every warning of the engine enters here: it is logged ("warning %04x: " and the formatted
// text), then handed to the installed handler.
void reportG2Warning(int code, const std::string& argument);

// The base of the engine classes that report errors and warnings.
class TErrorInterface {
public:
    virtual ~TErrorInterface() = default;

protected:
    [[noreturn]] static void error(int code) { throwG2Error(code); }
    [[noreturn]] static void error(int code, const std::string& argument) { throwG2Error(code, argument); }
    static void warning(int code, const std::string& argument) { reportG2Warning(code, argument); }
};

// The core's warning state: boxes only while showWarnings is set (nothing in the engine sets
// it); CANCEL in a box clears it for the rest of the run. It only shows: the log line is
// written by reportG2Warning.
class TG2Warnings : public TG2WarningHandler {
public:
    // (text, caption, type) → button id; type 1 is OK / CANCEL, id 2 is CANCEL.
    using MessageBox = std::function<int(const std::string& text, const std::string& caption, uint32_t type)>;

    TG2Warnings() = default;
    TG2Warnings(MessageBox box, std::string caption) : box_(std::move(box)), caption_(std::move(caption)) {}

    void warning(int code, const std::string& argument) override;
    // "Error : \n", the formatted warning and the note on CANCEL.
    static std::string boxText(int code, const std::string& argument);

    void setMessageBox(MessageBox box) { box_ = std::move(box); }
    void setCaption(std::string caption) { caption_ = std::move(caption); }
    bool showWarnings = false;

private:
    MessageBox box_;
    std::string caption_;
};

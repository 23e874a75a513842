#include "script/g2_error.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/codepage.h"
#include "script/engine_texts.h"

void throwG2Error(int code) { throw TError(code); }
void throwG2Error(int code, const std::string& argument) { throw TError(code, argument); }

std::string formatG2Warning(int code, const std::string& argument) {
    const char* format = nullptr;
    for (const TErrorEntry* row = g2texts::warningTable(); row->code != 0; ++row) {
        if (row->code == static_cast<uint32_t>(code)) {
            format = row->message;
            break;
        }
    }
    if (!format) return {};
    const char* slot = std::strstr(format, "%s");
    if (!slot) return format;
    std::string out(format, static_cast<size_t>(slot - format));
    out.append(argument);
    out.append(slot + 2);
    return out;
}

namespace {

std::mutex logMutex;
EngineLogSink logSink;
TG2WarningHandler* installedHandler = nullptr;

}  // namespace

void setEngineLogSink(EngineLogSink sink) {
    std::lock_guard lock(logMutex);
    logSink = std::move(sink);
}

void engineLog(const std::string& line) {
    std::lock_guard lock(logMutex);
    if (logSink) {
        logSink(line);
        return;
    }
    std::fprintf(stderr, "%s\n", platform::toUtf8(line).c_str());
}

void setWarningHandler(TG2WarningHandler* handler) { installedHandler = handler; }
TG2WarningHandler* warningHandler() { return installedHandler; }

void reportG2Warning(int code, const std::string& argument) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "warning %04x: ", static_cast<unsigned>(code));
    engineLog(prefix + formatG2Warning(code, argument));
    if (installedHandler) installedHandler->warning(code, argument);
}

std::string TG2Warnings::boxText(int code, const std::string& argument) {
    return "Error : \n" + formatG2Warning(code, argument) + g2texts::warningBoxTail();
}

void TG2Warnings::warning(int code, const std::string& argument) {
    if (!showWarnings || !box_) return;
    constexpr uint32_t kOkCancel = 1;
    constexpr int kCancel = 2;
    if (box_(boxText(code, argument), caption_, kOkCancel) == kCancel) showWarnings = false;
}

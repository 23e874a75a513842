#include "framework/application_error.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {
std::atomic<const TErrorEntry*> installedTable{nullptr};
}

void setErrorTable(const TErrorEntry* table) { installedTable.store(table); }
const TErrorEntry* errorTable() { return installedTable.load(); }

const std::string& TError::text() {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "error %04x: ", static_cast<unsigned>(code_));
    const char* body = nullptr;
    if (const TErrorEntry* row = errorTable()) {
        for (; row->code != 0; ++row) {
            if (row->code == static_cast<uint32_t>(code_)) {
                body = row->message;
                break;
            }
        }
    }
    // The table's message is text, not a format: only its first "%s" is replaced, any other '%'
    // (and anything in the argument) comes out as it stands.
    std::string out(prefix);
    if (!body) {
        out.append(argument_);
    } else if (const char* slot = std::strstr(body, "%s")) {
        out.append(body, static_cast<size_t>(slot - body));
        out.append(argument_);
        out.append(slot + 2);
    } else {
        out.append(body);
    }
    message_ = std::move(out);
    return message_;
}

// The mouse pointer: the system's cursors by id, and the one shown over our windows. The handle
// of a cursor is its id, so handles compare equal however often a cursor is loaded.
#include <atomic>

#include "platform/window_backend.h"
#include "platform/window_system.h"

namespace platform {
namespace {

constexpr int kKnown[] = {IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_SIZEALL, IDC_NO, IDC_HAND};

// The id shown (0: none). Written on the main thread; read by whoever asks.
std::atomic<int> shown{IDC_ARROW};

HCURSOR handleOf(int id) { return reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(id)); }

int idOf(HCURSOR cursor) {
    auto v = reinterpret_cast<uintptr_t>(cursor);
    for (int id : kKnown)
        if (v == static_cast<uintptr_t>(id)) return id;
    return 0;
}

}  // namespace

HCURSOR loadCursor(int id) {
    for (int known : kKnown)
        if (known == id) return handleOf(id);
    return nullptr;
}

HCURSOR setCursor(HCURSOR cursor) {
    // A handle that is not one of ours hides the pointer, as a null one does.
    const int id = idOf(cursor);
    const int before = shown.exchange(id);
    if (before != id) detail::activeBackend().setCursor(id);
    return before ? handleOf(before) : nullptr;
}

HCURSOR getCursor() {
    const int id = shown.load();
    return id ? handleOf(id) : nullptr;
}

int detail::currentCursorId() { return shown.load(); }

void detail::resetCursor() { shown = IDC_ARROW; }

}  // namespace platform

#pragma once
// The engine reports a fault of a script or of stored data by throwing its error code.
#include <functional>

#include "framework/application_error.h"

// The code of the error fn throws, or 0 when it returns.
inline int errorCode(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const TError& e) {
        return e.code();
    }
    return 0;
}

#include "platform/idle_hook.h"

namespace platform {

namespace {
IdleHook currentHook = nullptr;
}

void SetIdleHook(IdleHook hook) { currentHook = hook; }

void RunIdleHook() {
    if (currentHook != nullptr) currentHook();
}

}  // namespace platform

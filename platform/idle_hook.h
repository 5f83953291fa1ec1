#pragma once
// While an exchange blocks the one user-interface thread, the core calls this hook between
// polls so a window can repaint and answer the desktop. The front end installs it; the core
// and the command line leave it empty.

namespace platform {

using IdleHook = void (*)();
void SetIdleHook(IdleHook hook);
void RunIdleHook();

}  // namespace platform

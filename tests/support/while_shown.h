// Acts inside a modal form's own message loop, the way a user acts on an open dialog.
#pragma once

#include <functional>

// Runs `action` once, from the next message loop that dispatches this thread's timers.
void WhileShown(std::function<void()> action);

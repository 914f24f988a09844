#pragma once
// The one door through which every event handler of every screen runs. RunGuarded calls the
// handler and returns true when it ended normally. A handler ended by EAbort (MensErro with stop)
// returns false silently; any other Exception or std::exception is shown in the error box with
// its message and returns false. Nothing escapes into the Qt event loop. When the outermost
// guarded handler ends with an error, a progress window still up is taken away first.

#include <functional>

class QWidget;

bool RunGuarded(const std::function<void()>& handler, QWidget* owner = nullptr);

// True while a guarded handler is running (on the user-interface thread).
bool InGuardedHandler();

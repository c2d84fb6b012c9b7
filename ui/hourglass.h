#pragma once
// The hourglass cursor over the whole application while an operation waits
// for the instrument. Calls nest: each "on" is matched by one "off". Does
// nothing in a program without a GUI (headless tests of the link).

#include <functional>

void ShowHourglass(bool on);
// The same through a component's own busy sign when it has one (a window
// that shows it otherwise, a test that counts it).
void ShowHourglass(bool on, const std::function<void(bool busy)> &setBusy);

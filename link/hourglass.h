#pragma once
// The hourglass cursor over the whole application while an operation waits
// for the instrument. Calls nest: each "on" is matched by one "off". Does
// nothing in a program without a GUI (headless tests of the link).

void ShowHourglass(bool on);

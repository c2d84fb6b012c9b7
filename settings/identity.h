#pragma once
// The instrument's identity in one line, as the status bar and the
// command-line program show it: unit address, serial number, firmware
// version and serial ID, all from a settings model.

#include <QString>

class Tdata7410;

// Empty while no serial number is known (nothing read yet).
QString InstrumentIdentityText(const Tdata7410 &model);

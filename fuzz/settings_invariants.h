#pragma once
// Shared by the fuzz targets that feed a settings model (the intake and the
// settings file): aborts when a setting is outside what its command carries.

class Tdata7410;

void CheckSettingsRanges(const Tdata7410 &model);

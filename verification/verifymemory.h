#pragma once
// What the Verification page remembers from one verification to the next,
// in a small initialisation file of the user's: the accuracy class, initial
// or in service, the customer and site, the technician and the test weights.
// e and Max are not kept: they come from the instrument each time.

#include <QString>

struct TVerificationSetup;

// Fills what the file holds into setup; false (setup untouched) when there
// is no file or it cannot be read.
bool LoadRememberedSetup(const QString &path, TVerificationSetup &setup);
// Written atomically; false with the reason.
bool RememberSetup(const QString &path, const TVerificationSetup &setup, QString *error);

#pragma once
// Opening the settings the instrument guards with its passcode for one
// operation, and locking them again afterwards. Shared by the settings write
// and the calibration steps that set a guarded value (the span weight).
//
// The program keeps no passcode: it asks the instrument whether one is set
// ("PCD?") and, when so, asks the operator for it (Prompts().Passcode) and
// sends it as "PCD" and the digits.

#include "link/outcome.h"

class TSession;

// Accepted when the guarded settings may be written now: the instrument has
// no passcode set, or took the one typed. Otherwise the failure: "PCD?"
// unanswered, the operator cancelled (Cancelled, nothing more sent) or the
// instrument refused the passcode (Refused, "Invalid Setting").
// passcodeSent is set once the digits went out: the caller must then lock
// the instrument again, however the operation ends.
TOutcome OpenGuardedSettings(TSession &session, bool &passcodeSent);

// "PCD": the guarded settings are locked again.
TOutcome LockGuardedSettings(TSession &session);

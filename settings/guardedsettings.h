#pragma once
// Opening the settings the instrument guards with its passcode for one
// operation, and locking them again afterwards. Shared by the settings write
// and the calibration steps that set a guarded value (the span weight).
//
// The program keeps no passcode: it asks the instrument whether one is set
// ("PCD?") and, when so, asks the operator for it (TFrmPasscode, through
// Prompts().Exec) and sends it as "PCD" and the digits.

class TFrmPasscode;
class TSession;

// True when the guarded settings may be written now: the instrument has no
// passcode set, or took the one typed. False when "PCD?" went unanswered,
// the operator cancelled (nothing more sent) or the instrument refused the
// passcode ("Invalid Setting" shown by the exchange). passcodeSent is set
// once the digits went out: the caller must then lock the instrument again,
// however the operation ends.
bool OpenGuardedSettings(TSession &session, TFrmPasscode &dialog, bool &passcodeSent);

// "PCD": the guarded settings are locked again. True when acknowledged.
bool LockGuardedSettings(TSession &session);

#pragma once
// Three operations of the Calibration page that need no test weight:
// calibrating zero and span at once from two signals typed in mV/V, saving
// the instrument's calibration data to a calibration file, and sending such
// a file back. No widgets: the page hands in the two typed texts and binds
// its buttons to the three operations; each returns its outcome for the
// window to say.
//
// Each one does nothing while the link is closed. Otherwise it runs in the
// frame of the calibration steps: display polling pauses while it talks to
// the instrument, also when it ends early. Direct calibration and restore
// change what the instrument holds, so the full settings read follows them
// in every case; a backup changes nothing.

#include "link/outcome.h"

#include <QString>
#include <functional>
#include <optional>

class TCalibrationSteps;
class TSession;
class Tdata7410;
struct TCalFileRecord;

// What a backup or restore moved, for the instrument's history: the
// calibration data, its checksum and the file.
struct TCalDataRecord {
    bool Restore = false;
    QString Data;
    qint32 Checksum = 0;          // the data's own (CheckSum1 as it should be)
    bool ChecksumMatched = true;  // restore: the file's stored checksum agreed
    QString File;
    TOutcome Outcome;
};

class TCalBackup {
public:
    TCalBackup(TSession &session, Tdata7410 &editModel, TCalibrationSteps &frame);

    // ---- History hook (see history/historyrecorder.h) ----
    // After a backup that got the data from the instrument, and after a
    // restore that sent it, however either ended. Direct calibration is a
    // step of the frame's (its StepRecorded).
    std::function<void(const TCalDataRecord &data)> DataRecorded;

    // "Calibrate": zeroText and spanText as typed, in mV/V.
    TOutcome CalDirect(const QString &zeroText, const QString &spanText);
    // "Backup calibration".
    TOutcome Backup();
    // "Restore calibration".
    TOutcome Restore();

private:
    TSession &Session;
    Tdata7410 &EditModel;
    TCalibrationSteps &Frame;

    // op says whether the settings are read back afterwards.
    TOutcome Run(const std::function<TOutcome(bool &readBack)> &op);
    TOutcome CalDirectSteps(const QString &zeroText, const QString &spanText);
    TOutcome BackupSteps();
    QString ChooseBackupName() const;
    std::optional<QString> AskCalibrationData(TOutcome &outcome);
    QString UploadCalibrationData(QString &reason, TOutcome &outcome);
    TOutcome RestoreSteps();
    bool AcceptedDespiteDifferences(const TCalFileRecord &record);
    QString InstrumentVersion() const;
};

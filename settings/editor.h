#pragma once
// The settings editor: the inner page control PgCSettings with the pages
// Build, Option, Special, Serial and Setpoint, on which the operator sees and
// changes the edited settings model, plus the few settings shown on the
// Calibration page (CalFields, for the main window to place there).
//
// For the main window:
//   TSettingsEditor(EditModel, parent)  the model is the window's EditModel
//                                        and must outlive the editor.
//   FillSettingsPages()   model -> every control except the Setpoint page's
//                         (and the shown setpoint, once the page was opened).
//   TakeSettingsPages()   controls -> model; does nothing before the first
//                         fill. Also takes the shown setpoint while the
//                         Setpoint page is current, so a write started from
//                         that page sends what is on screen.
//   FillSetpoint(n), TakeSetpoint(n)  one setpoint, n = 0 to 3.
//   UpdateCalWeightVisibility()       span weight and linearisation shown
//                                     unless the weighing mode is 3.
//   SettingsShown, SetpointShown      set by the first fill of each.
//   StatusRefresh                     called where the status bar should be
//                                     refreshed (fill and take).
//   CalFields                         owned by the editor until the window
//                                     gives it a parent (its Calibration page).
//
// Typed texts that the instrument's line could not carry (a double quote, ";",
// a control character, or a character outside Latin-1) are refused with a
// message when taken: the setting keeps its value and the control shows it
// again. Combo boxes that show no selection (a value the lists have no text
// for) leave the model's value as it was.

#include "settings/database.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class TCalSettingsFields;
class TSetpointTabBar;

class TSettingsEditor : public QWidget {
public:
    explicit TSettingsEditor(Tdata7410 &EditModel, QWidget *parent = nullptr);
    ~TSettingsEditor() override;

    void FillSettingsPages();
    void TakeSettingsPages();
    void FillSetpoint(int n);
    void TakeSetpoint(int n);
    void UpdateCalWeightVisibility();

    // Exit check of a count edit: fixes the decimals and warns when the text
    // is no number or its value lies outside its Tag's range (the focus goes
    // back to the edit, the text stays for correction).
    void EdtFS1Exit(QLineEdit *edit);
    // The exit check of a count edit typed into since its last check: a
    // take from a shortcut, the toolbar or a menu leaves the focus where it
    // is, and 75 must still be taken as 75.00, not as 75 counts.
    void CheckTypedCountEdit();
    // Before a write or a save: every weight edit, rows and columns, and
    // every setpoint of the model (whatever tab is shown) within its limits.
    bool EntriesInRange() const;
    // ... when not, the first one out of range, in page order, gets its page
    // (and setpoint tab) shown, its message and the focus; false then, and
    // nothing may go out.
    bool CountEditsInRange();
    // Bold row labels for the settings a write would change now: what the
    // pages show against what Instrument holds, value by value; plain for
    // the rest. Runs by itself shortly after any of them is edited.
    void MarkChangedSettings();
    // What the instrument is known to hold (the window's InstrumentModel);
    // without it nothing is marked. A span weight or signal typed on the
    // Calibration page stays through fills until the instrument holds it.
    const Tdata7410 *Instrument = nullptr;
    // The model's direct mV/V signals are the instrument's on the line: shown;
    // otherwise their fields stay empty (another instrument's values, or the
    // defaults, must not pass for this one's calibration).
    bool DirectSignalsKnown = true;
    // A new instrument: the direct signals are unknown until read, and what
    // was typed into their fields goes.
    void ForgetDirectSignals();
    // Rows and columns: the first that holds no whole number within its
    // range (none: null) ...
    QLineEdit *FirstWholeNumberOutOfRange() const;
    // ... gets its page, its message naming it and the focus; false then.
    // Leaving the pages is refused meanwhile, so what was typed stays for
    // correction.
    bool WholeNumbersInRange();

    bool SettingsShown = false;
    bool SetpointShown = false;
    std::function<void()> StatusRefresh;

    QTabWidget *PgCSettings = nullptr;
    QWidget *TSBuild = nullptr;
    QWidget *TSOption = nullptr;
    QWidget *TSSpecial = nullptr;
    QWidget *TSSerial = nullptr;
    QWidget *TSSetpoint = nullptr;
    // Guarded: the page that adopts it may go first when the window closes.
    QPointer<TCalSettingsFields> CalFields;

    // Build
    QComboBox *CBxDP = nullptr;
    QComboBox *CBxWeighMode = nullptr;
    QComboBox *CBxUnits = nullptr;
    QCheckBox *CkBHiRes = nullptr;
    QLineEdit *EdtFS1 = nullptr;
    QLabel *lblFS1Units = nullptr;
    QLineEdit *EdtFs2 = nullptr;
    QLabel *LblFS2Units = nullptr;
    QComboBox *CBxRes1 = nullptr;
    QComboBox *CBxRes2 = nullptr;
    QLineEdit *edtAddTare = nullptr;
    QComboBox *cbxFilter = nullptr;
    // Option
    QComboBox *CBxMode = nullptr;
    QComboBox *CBxAvSetting = nullptr;
    QComboBox *CBxJitter = nullptr;
    QComboBox *CBxMotion = nullptr;
    QComboBox *CBxZTrac = nullptr;
    QComboBox *CBxZRange = nullptr;
    QComboBox *CBxAZero = nullptr;
    QLineEdit *EdtZband = nullptr;
    QLabel *lblZbandUnits = nullptr;
    // Special
    QComboBox *CBxZBut = nullptr;
    QComboBox *CBxTbut = nullptr;
    QComboBox *CBxGbut = nullptr;
    QComboBox *CBxPbut = nullptr;
    QComboBox *CBxRem1 = nullptr;
    QComboBox *CBxRem2 = nullptr;
    QComboBox *CBxRem3 = nullptr;
    QComboBox *CBxRem4 = nullptr;
    // Serial
    QLineEdit *EdtID = nullptr;
    QComboBox *CbxSerMode = nullptr;
    QComboBox *CBxPMode = nullptr;
    QLineEdit *EDtRows = nullptr;
    QLineEdit *EdtCols = nullptr;
    QPlainTextEdit *MemoHeader = nullptr;
    QLineEdit *EdtPFmt = nullptr;
    QComboBox *CBxAType = nullptr;
    QComboBox *CBxASrc = nullptr;
    QLineEdit *EdtAFmt = nullptr;
    // Setpoint
    TSetpointTabBar *CtrlSetpoint = nullptr;
    QComboBox *CBxSetpType = nullptr;
    QComboBox *CBxSetpSrc = nullptr;
    QComboBox *CBxSetpDirn = nullptr;
    QComboBox *CBxSetpLogic = nullptr;
    QComboBox *CbxSetpLock = nullptr;
    QComboBox *CBxSetpAlarm = nullptr;
    QLineEdit *EdtFlight = nullptr;
    QLabel *LblFlightUnits = nullptr;
    QLineEdit *EdtTol = nullptr;
    QLabel *LblTolUnits = nullptr;
    QLineEdit *EdtTarget = nullptr;
    QLabel *LblTargetUnits = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Page building (editorpages.cpp).
    void BuildPages();
    void BuildBuildPage();
    void BuildOptionPage();
    void BuildSpecialPage();
    void BuildSerialPage();
    void BuildSetpointPage();
    QLineEdit *NewCountEdit(QWidget *page, const char *name, int tag, int maxLength);

    // Typing (editortyping.cpp).
    bool NumberKeyPress(QLineEdit *edit, QKeyEvent *event, bool countEdit);
    bool MemoHeaderKeyPress(QKeyEvent *event);
    void MemoHeaderChange();
    void CBxDPChange();
    void CBxUnitsChange();
    void PgCSettingsChange(int index);
    void CtrlSetpointChange(int index);
    int SelectedDecimals() const;
    QString UnitText() const;

    // Model <-> controls (editor.cpp).
    void FillBuildPage();
    void FillSerialPage();
    void FillCalFields();
    void FillLinearisation();
    void TakeBuildPage();
    void TakeSerialPage();
    bool TakeDirect(QLineEdit *edit, const QString &name, qint32 &field);
    void TakeCounts(const QLineEdit *edit, qint32 &field) const;
    void TakeWholeNumber(const QLineEdit *edit, qint32 &field) const;
    bool TakeText(QLineEdit *edit, const QString &name, QString &field);
    void TakeHeader();

    Tdata7410 &Model;
    bool Filling = false;
    bool Closing = false;
    bool Checking = false;     // an exit check's message is up
    QLineEdit *Unchecked = nullptr;   // typed into since its exit check
    QList<QLineEdit *> CountEdits;    // weight edits with limits, in page order
    // The control of each field of a settings line, by the line's key
    // (SettingLineKey: "ZST", "IAD2", "RBT3"), in field order; null for a
    // field no control of these pages shows.
    QList<QWidget *> FieldControls(const QString &key) const;
    int EditDecimals = 0;      // the decimals the weight edits show
    // Checks of what is typed (editortyping.cpp).
    bool CountsInRange(const QLineEdit *edit) const;
    bool WholeNumberInRange(const QLineEdit *edit) const;
    void WholeNumberExit(QLineEdit *edit);
    bool IsShown(const QWidget *control) const;
    void ShowPageOf(QWidget *control);
    struct TOutOfRange {
        QLineEdit *Edit = nullptr;
        int Setpoint = -1;     // a setpoint of the model, not the one shown
    };
    TOutOfRange FirstOutOfRange() const;
    void MarkGuardedSettings();
    // The marks follow every control that shows part of a settings line.
    void WatchChangedSettings();
    // The settings as a take would store them now, without its messages.
    Tdata7410 ShownSettings() const;
    QTimer MarksTimer;
    bool HeaderTrimming = false;
    int ShownSetpoint = 0;     // the tab whose setpoint the controls hold
    int ShownPage = 0;
};

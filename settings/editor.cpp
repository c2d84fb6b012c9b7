// Copying the edited settings model into the settings pages and back.
#include "settings/editor.h"

#include "settings/editorcal.h"
#include "settings/editorentry.h"
#include "settings/editortabs.h"
#include "settings/enumtexts.h"
#include "settings/tools.h"
#include "ui/prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <cmath>

namespace {

// An index the list has no entry for shows no selection.
void Select(QComboBox *combo, qint32 index)
{
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

// A combo box without a selection keeps the model's value: it shows a value
// the lists have no text for (weighing mode 3, a remote function from a newer
// instrument), and writing -1 back would only be refused by the instrument.
void Take(const QComboBox *combo, qint32 &field)
{
    if (combo->currentIndex() >= 0)
        field = combo->currentIndex();
}

// Decimals to show counts with: a decimal point setting outside 0 to 5 (no
// instrument reports one) shows whole counts rather than empty edits that
// would be taken back as 0.
int ShownDecimals(qint32 decimalPoint)
{
    return decimalPoint >= 0 && decimalPoint <= 5 ? decimalPoint : 0;
}

} // namespace

TSettingsEditor::TSettingsEditor(Tdata7410 &EditModel, QWidget *parent) : QWidget(parent), Model(EditModel)
{
    setObjectName(QStringLiteral("SettingsEditor"));
    BuildPages();
}

TSettingsEditor::~TSettingsEditor()
{
    // The window adopts the calibration fields onto its page; until then
    // they are ours.
    Closing = true;   // no exit checks while the edits are torn down
    if (CalFields && !CalFields->parent())
        delete CalFields;
}

void TSettingsEditor::FillSettingsPages()
{
    if (Filling)
        return;
    Filling = true;
    Unchecked = nullptr;   // what was typed is replaced, not to be checked
    if (StatusRefresh)
        StatusRefresh();
    EditDecimals = ShownDecimals(Model.DecimalPoint);
    FillBuildPage();
    Select(CBxMode, Model.OperatingMode);
    Select(CBxAvSetting, Model.Average);
    Select(CBxJitter, Model.AntiJitter);
    Select(CBxMotion, Model.Motion);
    Select(CBxZTrac, Model.ZeroTracking);
    Select(CBxZRange, Model.ZeroRange);
    Select(CBxAZero, Model.AutoZero);
    EdtZband->setText(FormatCounts(Model.ZeroBand, ShownDecimals(Model.DecimalPoint)));
    QComboBox *const front[] = {CBxZBut, CBxTbut, CBxGbut, CBxPbut};
    QComboBox *const remote[] = {CBxRem1, CBxRem2, CBxRem3, CBxRem4};
    for (int k = 0; k < 4; ++k) {
        Select(front[k], Model.FrontKeys[k]);
        Select(remote[k], Model.RemoteKeys[k]);
    }
    FillSerialPage();
    FillCalFields();
    CBxUnitsChange();
    // A read or a file load while the Setpoint page is open must not leave
    // the old setpoint on screen, to be taken back over the new one.
    if (SetpointShown)
        FillSetpoint(ShownSetpoint);
    UpdateCalWeightVisibility();
    SettingsShown = true;
    Filling = false;
}

void TSettingsEditor::FillBuildPage()
{
    Select(CBxDP, Model.DecimalPoint);
    Select(CBxWeighMode, Model.WeighMode);
    Select(CBxUnits, Model.Units);
    CkBHiRes->setChecked(Model.HighRes);
    EdtFS1->setText(FormatCounts(Model.FullScale1, ShownDecimals(Model.DecimalPoint)));
    EdtFs2->setText(FormatCounts(Model.FullScale2, ShownDecimals(Model.DecimalPoint)));
    Select(CBxRes1, Model.Resolution1);
    Select(CBxRes2, Model.Resolution2);
    edtAddTare->setText(FormatCounts(Model.AddTareLimit, ShownDecimals(Model.DecimalPoint)));
    // A frequency without an entry of its own shows the last one, 12.5 Hz.
    cbxFilter->setCurrentIndex(cbxFilter->count() - 1);
    const int filter = cbxFilter->findText(QString::number(Model.SynchFilter), Qt::MatchExactly);
    if (filter >= 0)
        cbxFilter->setCurrentIndex(filter);
}

void TSettingsEditor::FillSerialPage()
{
    EdtID->setText(Model.SerialID);
    Select(CbxSerMode, Model.Serial2Mode);
    Select(CBxPMode, Model.PrintMode);
    EDtRows->setText(QString::number(Model.PrintRows));
    EdtCols->setText(QString::number(Model.PrintColumns));
    MemoHeader->clear();
    QStringList lines(Model.HeaderLines.begin(), Model.HeaderLines.end());
    MemoHeader->setPlainText(lines.join(QLatin1Char('\n')));
    EdtPFmt->setText(Model.PrintFormat);
    Select(CBxAType, Model.AutoType);
    Select(CBxASrc, Model.AutoSource);
    EdtAFmt->setText(Model.AutoFormat);
}

// What the operator typed on the Calibration page stays until the
// instrument holds it: the read-back after zero must not put the old span
// weight back for span to send.
void TSettingsEditor::FillCalFields()
{
    TCalSettingsFields &cal = *CalFields;
    const Tdata7410 &held = Instrument ? *Instrument : Model;
    const int decimals = ShownDecimals(Model.DecimalPoint);
    cal.Show(cal.EdtCalWeight, FormatCounts(Model.CalWeight, decimals), [&](const QString &typed) {
        return ParseCounts(FixDecimals(typed, decimals)) == held.CalWeight;
    });
    const auto signal = [this](qint32 value) {
        return [this, value](const QString &typed) {
            bool ok = false;
            const double number = typed.trimmed().toDouble(&ok);
            return DirectSignalsKnown && ok && std::nearbyint(number * 10000.0) == value;
        };
    };
    cal.Show(cal.edtCalDirectZero, DirectSignalsKnown ? DirectSignalText(Model.DirectZero) : QString(),
             signal(held.DirectZero));
    cal.Show(cal.edtCalDirectSpan, DirectSignalsKnown ? DirectSignalText(Model.DirectSpan) : QString(),
             signal(held.DirectSpan));
    FillLinearisation();
}

void TSettingsEditor::ForgetDirectSignals()
{
    DirectSignalsKnown = false;
    CalFields->Clear(CalFields->edtCalDirectZero);
    CalFields->Clear(CalFields->edtCalDirectSpan);
}

void TSettingsEditor::FillLinearisation()
{
    for (int point = 0; point < 5; ++point) {
        QString line = QString::asprintf("%d:", point + 1);
        if (Model.LinPercent[point] != 0)
            line = QString::asprintf("%d: %4d%%   ", point + 1, int(Model.LinPercent[point])) +
                   FormatCounts(Model.LinWeight[point], ShownDecimals(Model.DecimalPoint) + 1);
        CalFields->LBxLCal->item(point)->setText(line);
    }
}

void TSettingsEditor::TakeSettingsPages()
{
    if (!SettingsShown)
        return;
    CheckTypedCountEdit();
    TakeBuildPage();
    Take(CBxMode, Model.OperatingMode);
    Take(CBxAvSetting, Model.Average);
    Take(CBxJitter, Model.AntiJitter);
    Take(CBxMotion, Model.Motion);
    Take(CBxZTrac, Model.ZeroTracking);
    Take(CBxZRange, Model.ZeroRange);
    Take(CBxAZero, Model.AutoZero);
    TakeCounts(EdtZband, Model.ZeroBand);
    const QComboBox *front[] = {CBxZBut, CBxTbut, CBxGbut, CBxPbut};
    const QComboBox *remote[] = {CBxRem1, CBxRem2, CBxRem3, CBxRem4};
    for (int k = 0; k < 4; ++k) {
        Take(front[k], Model.FrontKeys[k]);
        Take(remote[k], Model.RemoteKeys[k]);
    }
    TakeSerialPage();
    // A write or save started from the Setpoint page (menu, toolbar) does not
    // move the focus off the page, so its setpoint is taken here too.
    if (SetpointShown && PgCSettings->currentWidget() == TSSetpoint)
        TakeSetpoint(ShownSetpoint);
    UpdateCalWeightVisibility();
    if (StatusRefresh)
        StatusRefresh();
}

void TSettingsEditor::TakeBuildPage()
{
    Take(CBxDP, Model.DecimalPoint);
    Take(CBxWeighMode, Model.WeighMode);
    Take(CBxUnits, Model.Units);
    Model.HighRes = CkBHiRes->isChecked();
    TakeCounts(edtAddTare, Model.AddTareLimit);
    TakeDirect(CalFields->edtCalDirectZero, QStringLiteral("Direct Zero"), Model.DirectZero);
    TakeDirect(CalFields->edtCalDirectSpan, QStringLiteral("Direct Span"), Model.DirectSpan);
    TakeCounts(EdtFS1, Model.FullScale1);
    TakeCounts(EdtFs2, Model.FullScale2);
    Take(CBxRes1, Model.Resolution1);
    Take(CBxRes2, Model.Resolution2);
    const int filter = cbxFilter->currentIndex();
    if (filter >= 0 && filter < SynchFilterValues().size())
        Model.SynchFilter = SynchFilterValues()[filter];
}

void TSettingsEditor::TakeSerialPage()
{
    TakeText(EdtID, QStringLiteral("Serial ID"), Model.SerialID);
    Take(CbxSerMode, Model.Serial2Mode);
    Take(CBxPMode, Model.PrintMode);
    TakeWholeNumber(EDtRows, Model.PrintRows);
    TakeWholeNumber(EdtCols, Model.PrintColumns);
    TakeHeader();
    TakeText(EdtPFmt, QStringLiteral("Custom Print Format"), Model.PrintFormat);
    Take(CBxAType, Model.AutoType);
    Take(CBxASrc, Model.AutoSource);
    TakeText(EdtAFmt, QStringLiteral("Custom Auto Format"), Model.AutoFormat);
}

// mV/V with up to four decimals; a text that is no number or lies outside
// what the instrument reports (-3.2 to 3.2) keeps the stored value.
bool TSettingsEditor::TakeDirect(QLineEdit *edit, const QString &name, qint32 &field)
{
    // Empty until read from the instrument: nothing to take.
    if (edit->text().trimmed().isEmpty())
        return false;
    bool ok = false;
    const double value = WithDotDecimal(edit->text().trimmed()).toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        Prompts().Message(QStringLiteral("%1: \"%2\" is not a number").arg(name, edit->text()),
                          TPrompts::Kind::Error);
        edit->setText(DirectSignalText(field));
        return false;
    }
    const double scaled = std::nearbyint(value * 10000.0);   // ties to even
    if (scaled < -32000 || scaled > 32000) {
        Prompts().Message(QStringLiteral("Out of Range: (%1 to %2)").arg(DirectSignalText(-32000), DirectSignalText(32000)),
                          TPrompts::Kind::Error);
        edit->setText(DirectSignalText(field));
        return false;
    }
    field = qint32(scaled);
    return true;
}

// A weight that is no number ("12kg", pasted) keeps the stored value: its
// exit check has said so, and the check before a write or save stops it.
void TSettingsEditor::TakeCounts(const QLineEdit *edit, qint32 &field) const
{
    if (const std::optional<qint32> counts = TypedCounts(edit->text(), SelectedDecimals()))
        field = *counts;
}

// Rows and columns: a whole number within the instrument's range, or the
// stored value stays (an empty or garbled entry would be refused on
// writing). The text stays as typed, for correction: the exit check, the
// page change and the check before a write or save name the field.
void TSettingsEditor::TakeWholeNumber(const QLineEdit *edit, qint32 &field) const
{
    if (WholeNumberInRange(edit))
        field = *TypedWholeNumber(edit->text());
}

static QString UnsafeTextMessage(const QString &name)
{
    return QStringLiteral("%1: a text may not hold \", ; or control characters, nor characters outside "
                          "Latin-1. The setting keeps its value.")
        .arg(name);
}

bool TSettingsEditor::TakeText(QLineEdit *edit, const QString &name, QString &field)
{
    if (!IsTypedTextAccepted(edit->text())) {
        Prompts().Message(UnsafeTextMessage(name), TPrompts::Kind::Error);
        edit->setText(field);
        return false;
    }
    field = edit->text();
    return true;
}

void TSettingsEditor::TakeHeader()
{
    const QStringList lines = MemoHeader->toPlainText().split(QLatin1Char('\n'));
    QStringList reasons;
    for (int i = 0; i < HeaderMaxLines; ++i) {
        const QString line = i < lines.size() ? lines[i] : QString();
        const bool carried = IsTypedTextAccepted(line);
        const bool fits = line.size() <= HeaderMaxColumns;
        if (carried && fits)
            Model.HeaderLines[i] = line;
        if (!carried && !reasons.contains(UnsafeTextMessage(QStringLiteral("Header"))))
            reasons << UnsafeTextMessage(QStringLiteral("Header"));
        if (!fits && !reasons.contains(HeaderLimitText()))
            reasons << HeaderLimitText();
    }
    if (!reasons.isEmpty()) {
        Prompts().Message(reasons.join(QLatin1Char(' ')), TPrompts::Kind::Error);
        const bool wasFilling = Filling;
        Filling = true;
        QStringList stored(Model.HeaderLines.begin(), Model.HeaderLines.end());
        MemoHeader->setPlainText(stored.join(QLatin1Char('\n')));
        Filling = wasFilling;
    }
}

void TSettingsEditor::FillSetpoint(int n)
{
    if (n < 0 || n > 3)
        return;
    const TSetpoint &setpoint = Model.Setpoints[n];
    Select(CBxSetpType, setpoint.Type);
    Select(CBxSetpSrc, setpoint.Source);
    Select(CBxSetpDirn, setpoint.Direction);
    Select(CBxSetpLogic, setpoint.Logic);
    Select(CbxSetpLock, setpoint.Lock);
    Select(CBxSetpAlarm, setpoint.Alarm);
    EdtFlight->setText(FormatCounts(setpoint.InFlight, ShownDecimals(Model.DecimalPoint)));
    EdtTol->setText(FormatCounts(setpoint.Tolerance, ShownDecimals(Model.DecimalPoint)));
    EdtTarget->setText(FormatCounts(setpoint.Target, ShownDecimals(Model.DecimalPoint)));
    const QString units = EnumText(UnitsTexts(), Model.Units);
    LblFlightUnits->setText(units);
    LblTolUnits->setText(units);
    LblTargetUnits->setText(units);
    ShownSetpoint = n;
    SetpointShown = true;
    CtrlSetpoint->update();
}

void TSettingsEditor::TakeSetpoint(int n)
{
    if (n < 0 || n > 3)
        return;
    CheckTypedCountEdit();
    TSetpoint &setpoint = Model.Setpoints[n];
    Take(CBxSetpType, setpoint.Type);
    Take(CBxSetpSrc, setpoint.Source);
    Take(CBxSetpDirn, setpoint.Direction);
    Take(CBxSetpLogic, setpoint.Logic);
    Take(CbxSetpLock, setpoint.Lock);
    Take(CBxSetpAlarm, setpoint.Alarm);
    TakeCounts(EdtFlight, setpoint.InFlight);
    TakeCounts(EdtTol, setpoint.Tolerance);
    TakeCounts(EdtTarget, setpoint.Target);
    CtrlSetpoint->update();
}

void TSettingsEditor::UpdateCalWeightVisibility()
{
    const bool visible = Model.WeighMode != 3;
    CalFields->LblCalWeight->setVisible(visible);
    CalFields->lblCalWeightUnits->setVisible(visible);
    CalFields->EdtCalWeight->setVisible(visible);
    CalFields->GBxLin->setVisible(visible);
}

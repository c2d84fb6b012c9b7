// Marks on the Settings pages: an asterisk beside the settings the
// instrument guards with its passcode, and bold labels on the settings that
// differ from what the instrument holds, so the operator sees what a write
// will send and where it will ask for the passcode.

#include "settings/editor.h"

#include "settings/editorentry.h"
#include "settings/enumtexts.h"
#include "settings/settingsmerge.h"
#include "settings/tools.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

const QString GuardedTip =
    QStringLiteral("* Guarded by the instrument's passcode: writing it asks for the passcode.");
const QString ChangedTip = QStringLiteral("Differs from what the instrument holds: Write Settings sends it.");

// The label of the form row that holds the field, in this layout or one
// nested in it; null when there is none.
QLabel *LabelIn(QLayout *layout, QWidget *field)
{
    if (!layout)
        return nullptr;
    if (auto *form = qobject_cast<QFormLayout *>(layout))
        if (auto *label = qobject_cast<QLabel *>(form->labelForField(field)))
            return label;
    for (int i = 0; i < layout->count(); ++i)
        if (QLabel *label = LabelIn(layout->itemAt(i)->layout(), field))
            return label;
    return nullptr;
}

// The label of the form row that holds the control (directly or in a box
// with its units); null when the control is not in a form.
QLabel *RowLabel(QWidget *control)
{
    for (QWidget *field = control; field && field->parentWidget(); field = field->parentWidget())
        if (QLabel *label = LabelIn(field->parentWidget()->layout(), field))
            return label;
    return nullptr;
}

// What carries the mark of a control: its row's label, or the control
// itself where it has no label of its own (the high resolution check box).
QWidget *MarkOf(QWidget *control)
{
    if (QLabel *label = RowLabel(control))
        return label;
    return control;
}

void SetMarked(QWidget *target, bool changed)
{
    QFont font = target->font();
    if (font.bold() != changed) {
        font.setBold(changed);
        target->setFont(font);
    }
    const bool guarded = target->property("Guarded").toBool();
    target->setToolTip(changed ? ChangedTip + (guarded ? u'\n' + GuardedTip : QString())
                               : (guarded ? GuardedTip : QString()));
}

} // namespace

QList<QWidget *> TSettingsEditor::FieldControls(const QString &key) const
{
    QComboBox *const front[] = {CBxZBut, CBxTbut, CBxGbut, CBxPbut};
    QComboBox *const remote[] = {CBxRem1, CBxRem2, CBxRem3, CBxRem4};
    const QString mnemonic = key.left(3);
    const int item = key.mid(3).toInt();
    if (mnemonic == QLatin1String("LBT") && item >= 0 && item < 4)
        return {nullptr, front[item]};
    if (mnemonic == QLatin1String("RBT") && item >= 1 && item <= 4)
        return {nullptr, remote[item - 1]};
    if (mnemonic == QLatin1String("PST"))
        return {nullptr, MemoHeader};
    // Only the setpoint on screen has controls.
    if (mnemonic == QLatin1String("LIV") && SetpointShown && item == ShownSetpoint + 1)
        return {nullptr, CBxSetpType, CBxSetpSrc, CBxSetpDirn, EdtTarget, EdtFlight, EdtTol,
                CBxSetpLogic, CbxSetpLock, CBxSetpAlarm};
    const QHash<QString, QList<QWidget *>> controls{
        {QStringLiteral("IDN"), {EdtID}},
        // Both range lines carry the decimal point, high resolution and the
        // additive tare limit; each its own full scale and resolution.
        {QStringLiteral("IAD1"), {nullptr, EdtFS1, CBxDP, CBxRes1, CkBHiRes, edtAddTare}},
        {QStringLiteral("IAD2"), {nullptr, EdtFs2, CBxDP, CBxRes2, CkBHiRes, edtAddTare}},
        {QStringLiteral("WMD"), {CBxWeighMode, CBxMode}},
        {QStringLiteral("ENU"), {CBxUnits}},
        {QStringLiteral("ICR"), {cbxFilter}},
        {QStringLiteral("ASF"), {CBxAvSetting, CBxJitter}},
        {QStringLiteral("MTD"), {CBxMotion}},
        {QStringLiteral("ZST"), {CBxAZero, CBxZTrac, CBxZRange, EdtZband}},
        {QStringLiteral("PFT"), {EdtPFmt}},
        {QStringLiteral("AFT"), {EdtAFmt}},
        {QStringLiteral("PRS"), {CbxSerMode, CBxPMode, CBxAType, EdtCols, EDtRows, CBxASrc}},
    };
    return controls.value(key);
}

void TSettingsEditor::MarkGuardedSettings()
{
    // The guarded settings on these pages (the span weight is on the
    // Calibration page).
    for (const char *key : {"IAD1", "IAD2", "WMD", "ENU", "ICR", "LBT0", "LBT1", "LBT2", "LBT3", "MTD", "ZST"}) {
        for (QWidget *control : FieldControls(QLatin1String(key))) {
            if (!control)
                continue;
            control->setToolTip(GuardedTip);
            control->setProperty("Guarded", true);
            if (QLabel *label = RowLabel(control); label && !label->text().endsWith(u'*')) {
                label->setText(label->text() + QStringLiteral(" *"));
                label->setToolTip(GuardedTip);
                label->setProperty("Guarded", true);
            }
        }
    }
}

void TSettingsEditor::WatchChangedSettings()
{
    MarksTimer.setSingleShot(true);
    MarksTimer.setInterval(0);
    connect(&MarksTimer, &QTimer::timeout, this, [this] { MarkChangedSettings(); });
    const auto later = [this] {
        if (!Closing)
            MarksTimer.start();
    };
    for (QComboBox *combo : findChildren<QComboBox *>())
        connect(combo, &QComboBox::currentIndexChanged, this, later);
    for (QLineEdit *edit : findChildren<QLineEdit *>())
        connect(edit, &QLineEdit::textChanged, this, later);
    connect(CkBHiRes, &QCheckBox::toggled, this, later);
    connect(MemoHeader, &QPlainTextEdit::textChanged, this, later);
}

Tdata7410 TSettingsEditor::ShownSettings() const
{
    Tdata7410 m = Model;
    if (!SettingsShown)
        return m;
    const auto index = [](const QComboBox *combo, qint32 &field) {
        if (combo->currentIndex() >= 0)
            field = combo->currentIndex();
    };
    const int decimals = SelectedDecimals();
    const auto counts = [decimals](const QLineEdit *edit) { return ParseCounts(FixDecimals(edit->text(), decimals)); };
    const auto text = [](const QLineEdit *edit, QString &field) {
        if (IsTypedTextAccepted(edit->text()))
            field = edit->text();
    };
    const auto whole = [](const QLineEdit *edit, int tag, qint32 &field) {
        bool ok = false;
        const int value = edit->text().trimmed().toInt(&ok);
        const auto limit = EntryLimits(tag);
        if (ok && limit && value >= limit->Minimum && value <= limit->Maximum)
            field = value;
    };
    index(CBxDP, m.DecimalPoint);
    index(CBxWeighMode, m.WeighMode);
    index(CBxUnits, m.Units);
    m.HighRes = CkBHiRes->isChecked();
    m.FullScale1 = counts(EdtFS1);
    m.FullScale2 = counts(EdtFs2);
    index(CBxRes1, m.Resolution1);
    index(CBxRes2, m.Resolution2);
    m.AddTareLimit = counts(edtAddTare);
    if (const int filter = cbxFilter->currentIndex(); filter >= 0 && filter < SynchFilterValues().size())
        m.SynchFilter = SynchFilterValues()[filter];
    index(CBxMode, m.OperatingMode);
    index(CBxAvSetting, m.Average);
    index(CBxJitter, m.AntiJitter);
    index(CBxMotion, m.Motion);
    index(CBxZTrac, m.ZeroTracking);
    index(CBxZRange, m.ZeroRange);
    index(CBxAZero, m.AutoZero);
    m.ZeroBand = counts(EdtZband);
    const QComboBox *front[] = {CBxZBut, CBxTbut, CBxGbut, CBxPbut};
    const QComboBox *remote[] = {CBxRem1, CBxRem2, CBxRem3, CBxRem4};
    for (int k = 0; k < 4; ++k) {
        index(front[k], m.FrontKeys[size_t(k)]);
        index(remote[k], m.RemoteKeys[size_t(k)]);
    }
    text(EdtID, m.SerialID);
    index(CbxSerMode, m.Serial2Mode);
    index(CBxPMode, m.PrintMode);
    whole(EDtRows, 5, m.PrintRows);
    whole(EdtCols, 6, m.PrintColumns);
    const QStringList header = MemoHeader->toPlainText().split(u'\n');
    for (int i = 0; i < HeaderMaxLines; ++i) {
        const QString line = header.value(i);
        if (IsTypedTextAccepted(line) && line.size() <= HeaderMaxColumns)
            m.HeaderLines[size_t(i)] = line;
    }
    text(EdtPFmt, m.PrintFormat);
    index(CBxAType, m.AutoType);
    index(CBxASrc, m.AutoSource);
    text(EdtAFmt, m.AutoFormat);
    if (SetpointShown && ShownSetpoint >= 0 && ShownSetpoint < 4) {
        TSetpoint &setpoint = m.Setpoints[size_t(ShownSetpoint)];
        index(CBxSetpType, setpoint.Type);
        index(CBxSetpSrc, setpoint.Source);
        index(CBxSetpDirn, setpoint.Direction);
        index(CBxSetpLogic, setpoint.Logic);
        index(CbxSetpLock, setpoint.Lock);
        index(CBxSetpAlarm, setpoint.Alarm);
        setpoint.InFlight = counts(EdtFlight);
        setpoint.Tolerance = counts(EdtTol);
        setpoint.Target = counts(EdtTarget);
    }
    return m;
}

void TSettingsEditor::MarkChangedSettings()
{
    MarksTimer.stop();
    if (Closing)
        return;
    // The lines a write would send, and in each the values that differ.
    QSet<QWidget *> changed;
    if (Instrument) {
        QStringList pending;
        ShownSettings().BuildWriteCommands(pending);
        QStringList held;
        Instrument->BuildWriteCommands(held);
        QHash<QString, QString> heldByKey;
        for (const QString &line : held)
            heldByKey.insert(SettingLineKey(line), line);
        RemoveCommon(pending, held);
        for (const QString &line : pending) {
            const QString key = SettingLineKey(line);
            const QList<QWidget *> controls = FieldControls(key);
            for (const int field : DifferingFields(line, heldByKey.value(key)))
                if (field < controls.size() && controls[field])
                    changed.insert(MarkOf(controls[field]));
        }
    }
    QSet<QWidget *> targets;
    const QStringList keys{"IDN",  "IAD1", "IAD2", "WMD", "ENU", "ICR",  "ASF",  "LBT0",
                           "LBT1", "LBT2", "LBT3", "MTD", "ZST", "PFT",  "AFT",  "PST1",
                           "PRS",  "RBT1", "RBT2", "RBT3", "RBT4", QStringLiteral("LIV%1").arg(ShownSetpoint + 1)};
    for (const QString &key : keys)
        for (QWidget *control : FieldControls(key))
            if (control)
                targets.insert(MarkOf(control));
    for (QWidget *target : targets)
        SetMarked(target, changed.contains(target));
}

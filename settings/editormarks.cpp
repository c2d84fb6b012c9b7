// Marks on the Settings pages: an asterisk beside the settings the
// instrument guards with its passcode, and bold labels on the settings that
// differ from what the instrument holds, so the operator sees what a write
// will send and where it will ask for the passcode.

#include "settings/editor.h"

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

// The label of the form row that holds the control (directly or in a box
// with its units); null when the control is not in a form.
QLabel *RowLabel(QWidget *control)
{
    for (QWidget *field = control; field && field->parentWidget(); field = field->parentWidget())
        if (auto *form = qobject_cast<QFormLayout *>(field->parentWidget()->layout()))
            if (auto *label = qobject_cast<QLabel *>(form->labelForField(field)))
                return label;
    return nullptr;
}

} // namespace

QList<QWidget *> TSettingsEditor::ControlsOf(const QString &mnemonic) const
{
    const QHash<QString, QList<QWidget *>> controls{
        {QStringLiteral("IDN"), {EdtID}},
        // Both range lines carry the decimal point, high resolution and the
        // additive tare limit; each its own full scale and resolution.
        {QStringLiteral("IAD1"), {CBxDP, CkBHiRes, EdtFS1, CBxRes1, edtAddTare}},
        {QStringLiteral("IAD2"), {CBxDP, CkBHiRes, EdtFs2, CBxRes2, edtAddTare}},
        {QStringLiteral("WMD"), {CBxWeighMode, CBxMode}},
        {QStringLiteral("ENU"), {CBxUnits}},
        {QStringLiteral("ICR"), {cbxFilter}},
        {QStringLiteral("ASF"), {CBxAvSetting, CBxJitter}},
        {QStringLiteral("LBT"), {CBxZBut, CBxTbut, CBxGbut, CBxPbut}},
        {QStringLiteral("MTD"), {CBxMotion}},
        {QStringLiteral("ZST"), {CBxZTrac, CBxZRange, CBxAZero, EdtZband}},
        {QStringLiteral("RBT"), {CBxRem1, CBxRem2, CBxRem3, CBxRem4}},
        {QStringLiteral("PFT"), {EdtPFmt}},
        {QStringLiteral("AFT"), {EdtAFmt}},
        {QStringLiteral("PST"), {MemoHeader}},
        {QStringLiteral("PRS"), {CbxSerMode, CBxPMode, EDtRows, EdtCols, CBxAType, CBxASrc}},
    };
    return controls.value(mnemonic);
}

void TSettingsEditor::MarkGuardedSettings()
{
    // The guarded settings on these pages (the span weight is on the
    // Calibration page).
    for (const char *mnemonic : {"IAD1", "IAD2", "WMD", "ENU", "ICR", "LBT", "MTD", "ZST"}) {
        for (QWidget *control : ControlsOf(QLatin1String(mnemonic))) {
            control->setToolTip(GuardedTip);
            if (QLabel *label = RowLabel(control); label && !label->text().endsWith(u'*')) {
                label->setText(label->text() + QStringLiteral(" *"));
                label->setToolTip(GuardedTip);
            }
        }
    }
}

void TSettingsEditor::MarkChangedSettings(const QStringList &changedLines)
{
    QSet<QLabel *> changed;
    for (const QString &line : changedLines)
        for (QWidget *control : ControlsOf(line.left(line.startsWith(QLatin1String("IAD")) ? 4 : 3)))
            if (QLabel *label = RowLabel(control))
                changed.insert(label);
    for (QLabel *label : findChildren<QLabel *>()) {
        if (!label->property("RowLabel").isValid() && !changed.contains(label))
            continue;
        label->setProperty("RowLabel", true);
        QFont font = label->font();
        font.setBold(changed.contains(label));
        label->setFont(font);
        const bool guarded = label->text().endsWith(u'*');
        label->setToolTip(changed.contains(label) ? ChangedTip + (guarded ? u'\n' + GuardedTip : QString())
                                                  : (guarded ? GuardedTip : QString()));
    }
}

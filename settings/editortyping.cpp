// What happens while the operator types and moves between pages and tabs:
// number entry, range warnings, the header's size limits, decimal point and
// units changes, and the setpoint tabs.
#include "settings/editor.h"

#include "settings/editorcal.h"
#include "settings/editorentry.h"
#include "settings/editortabs.h"
#include "settings/enumtexts.h"
#include "settings/tools.h"
#include "ui/prompts.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextBlock>

bool TSettingsEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (Closing)
        return QWidget::eventFilter(watched, event);
    if (watched == MemoHeader && event->type() == QEvent::KeyPress)
        return MemoHeaderKeyPress(static_cast<QKeyEvent *>(event));
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit)
        return QWidget::eventFilter(watched, event);
    const bool countEdit = edit != EDtRows && edit != EdtCols;
    if (event->type() == QEvent::KeyPress)
        return NumberKeyPress(edit, static_cast<QKeyEvent *>(event), countEdit);
    if (event->type() == QEvent::FocusOut) {
        // Focus taken by a window or popup (our own message box among them)
        // is no exit from the edit.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return QWidget::eventFilter(watched, event);
        if (countEdit)
            EdtFS1Exit(edit);
        else if (IsShown(edit))   // leaving the page: its change checks
            WholeNumberExit(edit);
    }
    return QWidget::eventFilter(watched, event);
}

bool TSettingsEditor::NumberKeyPress(QLineEdit *edit, QKeyEvent *event, bool countEdit)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // What is no number stays as typed, for its exit check to refuse.
        if (!countEdit)
            edit->setText(FixDecimals(edit->text(), 0));
        else if (const std::optional<qint32> counts = TypedCounts(edit->text(), SelectedDecimals()))
            edit->setText(FormatCounts(*counts, SelectedDecimals()));
        return true;
    }
    const QString text = event->text();
    for (const QChar key : text)
        if (!IsNumberKeyAccepted(key))
            return true;
    return false;
}

void TSettingsEditor::EdtFS1Exit(QLineEdit *edit)
{
    if (Checking)
        return;
    if (edit == Unchecked)
        Unchecked = nullptr;
    const int decimals = SelectedDecimals();
    const std::optional<qint32> counts = TypedCounts(edit->text(), decimals);
    if (counts)
        edit->setText(FormatCounts(*counts, decimals));
    const auto limit = EntryLimits(edit->property("Tag").toInt());
    if (!limit || CountsInRange(edit))
        return;
    Checking = true;
    Prompts().Message(OutOfRangeText(*limit, decimals), TPrompts::Kind::Error);
    edit->setFocus(Qt::OtherFocusReason);
    Checking = false;
}

void TSettingsEditor::CheckTypedCountEdit()
{
    // Rows and columns are whole numbers with a check of their own at the take.
    if (Unchecked && Unchecked != EDtRows && Unchecked != EdtCols)
        EdtFS1Exit(Unchecked);
}

bool TSettingsEditor::CountsInRange(const QLineEdit *edit) const
{
    const auto limit = EntryLimits(edit->property("Tag").toInt());
    const std::optional<qint32> counts = TypedCounts(edit->text(), SelectedDecimals());
    return !limit || (counts && *counts >= limit->Minimum && *counts <= limit->Maximum);
}

bool TSettingsEditor::WholeNumberInRange(const QLineEdit *edit) const
{
    const auto limit = EntryLimits(edit->property("Tag").toInt());
    const std::optional<qint32> value = TypedWholeNumber(edit->text());
    return limit && value && *value >= limit->Minimum && *value <= limit->Maximum;
}

// Rows and columns are checked when they are left within their page; the
// message names the field, since a take may come from elsewhere.
void TSettingsEditor::WholeNumberExit(QLineEdit *edit)
{
    if (Checking || WholeNumberInRange(edit))
        return;
    const QString name = edit == EDtRows ? QStringLiteral("Rows") : QStringLiteral("Columns");
    Checking = true;
    Prompts().Message(name + QStringLiteral(": ") + OutOfRangeText(*EntryLimits(edit->property("Tag").toInt()), 0),
                      TPrompts::Kind::Error);
    edit->setFocus(Qt::OtherFocusReason);
    Checking = false;
}

// On the page shown: no page control above it shows another page (while a
// page is being left, the focus moves before the old page is hidden).
bool TSettingsEditor::IsShown(const QWidget *control) const
{
    for (const QWidget *child = control; child && child->parentWidget(); child = child->parentWidget()) {
        const auto *stack = qobject_cast<const QStackedWidget *>(child->parentWidget());
        if (stack && stack->currentWidget() != child)
            return false;
    }
    return true;
}

void TSettingsEditor::ShowPageOf(QWidget *control)
{
    for (QWidget *page = control->parentWidget(); page; page = page->parentWidget())
        if (PgCSettings->indexOf(page) >= 0)
            PgCSettings->setCurrentWidget(page);
}

QLineEdit *TSettingsEditor::FirstWholeNumberOutOfRange() const
{
    for (QLineEdit *edit : {EDtRows, EdtCols})
        if (!WholeNumberInRange(edit))
            return edit;
    return nullptr;
}

// In page order: the Build and Option weights, rows and columns, then the
// four setpoints, the one shown as its edits hold it, the others as the
// model does (a value typed on another tab was taken when it was left).
TSettingsEditor::TOutOfRange TSettingsEditor::FirstOutOfRange() const
{
    const QList<QLineEdit *> setpointEdits{EdtFlight, EdtTol, EdtTarget};
    for (QLineEdit *edit : CountEdits)
        if (!setpointEdits.contains(edit) && !CountsInRange(edit))
            return {edit};
    if (QLineEdit *edit = FirstWholeNumberOutOfRange())
        return {edit};
    for (int n = 0; n < int(Model.Setpoints.size()); ++n) {
        if (SetpointShown && n == ShownSetpoint) {
            for (QLineEdit *edit : setpointEdits)
                if (!CountsInRange(edit))
                    return {edit};
            continue;
        }
        const TSetpoint &setpoint = Model.Setpoints[n];
        const qint32 values[] = {setpoint.InFlight, setpoint.Tolerance, setpoint.Target};
        for (int field = 0; field < 3; ++field) {
            const auto limit = EntryLimits(setpointEdits[field]->property("Tag").toInt());
            if (values[field] < limit->Minimum || values[field] > limit->Maximum)
                return {setpointEdits[field], n};
        }
    }
    return {};
}

bool TSettingsEditor::EntriesInRange() const
{
    return !FirstOutOfRange().Edit;
}

bool TSettingsEditor::CountEditsInRange()
{
    const TOutOfRange bad = FirstOutOfRange();
    if (!bad.Edit)
        return true;
    ShowPageOf(bad.Edit);
    // Shown on its own tab: the tab change takes the setpoint on screen and
    // fills the one out of range.
    if (bad.Setpoint >= 0 && CtrlSetpoint->currentIndex() != bad.Setpoint)
        CtrlSetpoint->setCurrentIndex(bad.Setpoint);
    if (bad.Edit == EDtRows || bad.Edit == EdtCols)
        WholeNumberExit(bad.Edit);
    else
        EdtFS1Exit(bad.Edit);
    return false;
}

bool TSettingsEditor::WholeNumbersInRange()
{
    QLineEdit *edit = FirstWholeNumberOutOfRange();
    if (!edit)
        return true;
    ShowPageOf(edit);
    WholeNumberExit(edit);
    return false;
}

bool TSettingsEditor::MemoHeaderKeyPress(QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const int lineLength = MemoHeader->textCursor().block().text().size();
    if (IsHeaderKeyAccepted(text.front(), lineLength))
        return false;
    Prompts().Message(HeaderLimitText(), TPrompts::Kind::Warning);
    return true;
}

void TSettingsEditor::MemoHeaderChange()
{
    if (HeaderTrimming || Filling)
        return;
    HeaderTrimming = true;
    while (MemoHeader->blockCount() > HeaderMaxLines) {
        QTextCursor cursor(MemoHeader->document()->lastBlock());
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        cursor.deletePreviousChar();   // the line break before it
        Prompts().Message(HeaderLimitText(), TPrompts::Kind::Warning);
    }
    HeaderTrimming = false;
}

int TSettingsEditor::SelectedDecimals() const
{
    return qMax(0, CBxDP->currentIndex());
}

QString TSettingsEditor::UnitText() const
{
    return CBxUnits->currentIndex() >= 0 ? CBxUnits->currentText() : QString();
}

// The counts stay, the point moves: 6000 counts read 60.00 at two decimals.
// Every weight edit is rewritten from the counts it shows, typed or filled;
// left as it was, its text would be read at the new decimals, a tenth or ten
// times its value. A text that is no number stays for its check to refuse.
void TSettingsEditor::CBxDPChange()
{
    if (Filling || CBxDP->currentIndex() < 0)
        return;
    const int decimals = CBxDP->currentIndex();
    QList<QLineEdit *> edits{EdtFS1, EdtFs2, edtAddTare, EdtZband, CalFields->EdtCalWeight};
    if (SetpointShown)
        edits << EdtFlight << EdtTol << EdtTarget;
    for (QLineEdit *edit : edits)
        if (const std::optional<qint32> counts = TypedCounts(edit->text(), EditDecimals))
            edit->setText(FormatCounts(*counts, decimals));
    EditDecimals = decimals;
}

void TSettingsEditor::CBxUnitsChange()
{
    if (CBxUnits->currentIndex() < 0 && !Filling)
        return;
    const QString units = UnitText();
    for (QLabel *label : {lblFS1Units, LblFS2Units, lblZbandUnits, CalFields->lblCalWeightUnits,
                          CalFields->LblLCalWeightUnits})
        label->setText(units);
}

void TSettingsEditor::PgCSettingsChange(int index)
{
    // Rows or columns that cannot be taken keep their page, and what was
    // typed in them, until they are corrected.
    if (QLineEdit *edit = FirstWholeNumberOutOfRange();
        edit && PgCSettings->widget(ShownPage)->isAncestorOf(edit)) {
        {
            const QSignalBlocker quiet(PgCSettings);
            PgCSettings->setCurrentIndex(ShownPage);
        }
        WholeNumberExit(edit);
        return;
    }
    const bool leftSetpoint = PgCSettings->widget(ShownPage) == TSSetpoint;
    ShownPage = index;
    if (leftSetpoint && SetpointShown)
        TakeSetpoint(ShownSetpoint);
    TakeSettingsPages();
    if (PgCSettings->widget(index) != TSSetpoint)
        return;
    const QSignalBlocker quiet(CtrlSetpoint);
    CtrlSetpoint->setCurrentIndex(0);
    FillSetpoint(0);
}

void TSettingsEditor::CtrlSetpointChange(int index)
{
    // An edit of the page being left gets its exit check first.
    if (auto *edit = qobject_cast<QLineEdit *>(focusWidget());
        edit && (edit == EdtFlight || edit == EdtTol || edit == EdtTarget))
        EdtFS1Exit(edit);
    if (SetpointShown)
        TakeSetpoint(ShownSetpoint);
    FillSetpoint(index);
}

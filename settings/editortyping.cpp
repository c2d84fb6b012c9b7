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
    if (event->type() == QEvent::FocusOut && countEdit) {
        // Focus taken by a window or popup (our own message box among them)
        // is no exit from the edit.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            EdtFS1Exit(edit);
    }
    return QWidget::eventFilter(watched, event);
}

bool TSettingsEditor::NumberKeyPress(QLineEdit *edit, QKeyEvent *event, bool countEdit)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        edit->setText(FixDecimals(edit->text(), countEdit ? SelectedDecimals() : 0));
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
    edit->setText(FixDecimals(edit->text(), decimals));
    const auto limit = EntryLimits(edit->property("Tag").toInt());
    if (!limit)
        return;
    const qint32 counts = ParseCounts(edit->text());
    if (counts >= limit->Minimum && counts <= limit->Maximum)
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

QLineEdit *TSettingsEditor::FirstCountEditOutOfRange() const
{
    const int decimals = SelectedDecimals();
    for (QLineEdit *edit : CountEdits) {
        const auto limit = EntryLimits(edit->property("Tag").toInt());
        const qint64 counts = ParseCounts(FixDecimals(edit->text(), decimals));
        if (limit && (counts < limit->Minimum || counts > limit->Maximum))
            return edit;
    }
    return nullptr;
}

bool TSettingsEditor::CountEditsInRange()
{
    QLineEdit *edit = FirstCountEditOutOfRange();
    if (!edit)
        return true;
    for (QWidget *page = edit->parentWidget(); page; page = page->parentWidget())
        if (PgCSettings->indexOf(page) >= 0)
            PgCSettings->setCurrentWidget(page);
    EdtFS1Exit(edit);
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
void TSettingsEditor::CBxDPChange()
{
    if (Filling || CBxDP->currentIndex() < 0)
        return;
    const int decimals = CBxDP->currentIndex();
    EdtFS1->setText(FormatCounts(Model.FullScale1, decimals));
    EdtFs2->setText(FormatCounts(Model.FullScale2, decimals));
    EdtZband->setText(FormatCounts(Model.ZeroBand, decimals));
    CalFields->EdtCalWeight->setText(FormatCounts(Model.CalWeight, decimals));
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

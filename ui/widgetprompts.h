#pragma once
// Real modal dialogs on screen: message boxes, questions, file and printer
// dialogs and the program's own dialogs. The window derives its prompts
// from this one and adds the dialogs of its subsystems (the progress of a
// settings transfer, the passcode, the mV/V signal).

#include "ui/prompts.h"

#include <QList>
#include <QPointer>

class QMessageBox;

class TWidgetPrompts : public TPrompts {
public:
    void Message(const QString &text, Kind kind, const QString &title) override;
    void WithdrawMessage(const QString &text) override;
    bool Confirm(const QString &text, const QString &title, Kind kind) override;
    QString OpenFileName(const QString &title, const QString &directory, const QString &filter,
                         QString *selectedFilter) override;
    QString SaveFileName(const QString &title, const QString &directory, const QString &filter,
                         QString *selectedFilter, Overwrite overwrite) override;
    bool PrinterSetup(QPrinter &printer) override;
    void PrintPreview(QPrinter &printer, const std::function<void(QPrinter &)> &paint) override;
    int Exec(QDialog &dialog) override;

private:
    // The message boxes now up, innermost last.
    QList<QPointer<QMessageBox>> OpenMessages;
};

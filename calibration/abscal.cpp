#include "calibration/abscal.h"

#include "calibration/numberentry.h"
#include "settings/editorentry.h"
#include "settings/tools.h"
#include "ui/prompts.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFrmAbsCal::TFrmAbsCal(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmAbsCal"));
    setWindowTitle(QStringLiteral("Absolute mV/V Calibration"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    lblAbsPrompt = new QLabel(this);
    lblAbsPrompt->setObjectName(QStringLiteral("lblAbsPrompt"));
    EdtAbsMV = new QLineEdit(this);
    EdtAbsMV->setObjectName(QStringLiteral("EdtAbsMV"));
    EdtAbsMV->installEventFilter(this);
    LblMV = new QLabel(QStringLiteral("mV/V"), this);
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));

    auto *entry = new QHBoxLayout;
    entry->addWidget(EdtAbsMV);
    entry->addWidget(LblMV);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblAbsPrompt);
    layout->addLayout(entry);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmAbsCal::Prepare(const QString &prompt, qint32 signal)
{
    lblAbsPrompt->setText(prompt);
    EdtAbsMV->setText(FormatCounts(signal, Decimals));
    EdtAbsMV->setFocus(Qt::OtherFocusReason);
}

qint32 TFrmAbsCal::Signal() const
{
    return ParseCounts(FixDecimals(EdtAbsMV->text(), Decimals));
}

void TFrmAbsCal::EdtAbsMVExit()
{
    if (Checking)
        return;
    EdtAbsMV->setText(FixDecimals(EdtAbsMV->text(), Decimals));
    const qint32 signal = ParseCounts(EdtAbsMV->text());
    if (signal >= -SignalLimit && signal <= SignalLimit)
        return;
    Checking = true;
    Prompts().Message(OutOfRangeText({-SignalLimit, SignalLimit}, Decimals), TPrompts::Kind::Error);
    EdtAbsMV->setFocus(Qt::OtherFocusReason);
    Checking = false;
}

bool TFrmAbsCal::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == EdtAbsMV) {
        if (event->type() == QEvent::KeyPress)
            return NumberFieldKeyPress(*EdtAbsMV, static_cast<const QKeyEvent &>(*event), Decimals);
        // Focus taken by another window (the range message among them) is
        // no exit from the field.
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                EdtAbsMVExit();
        }
    }
    return QDialog::eventFilter(watched, event);
}

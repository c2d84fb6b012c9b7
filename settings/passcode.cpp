#include "settings/passcode.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

TFrmPasscode::TFrmPasscode(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmPasscode"));
    setWindowTitle(QStringLiteral("Enter Passcode"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    EdtPasscode = new QLineEdit(this);
    EdtPasscode->setObjectName(QStringLiteral("EdtPasscode"));
    EdtPasscode->setMaxLength(MaxDigits);
    EdtPasscode->setEchoMode(QLineEdit::Password);
    // Typing and pasting alike: digits only.
    EdtPasscode->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), EdtPasscode));
    BtnOk = new QPushButton(QStringLiteral("Ok"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(EdtPasscode);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    // "PCD" without digits is the instrument's lock command, not a passcode.
    connect(EdtPasscode, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    UpdateOk();
}

QString TFrmPasscode::Digits() const
{
    QString digits;
    for (const QChar c : EdtPasscode->text()) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9') && digits.size() < MaxDigits)
            digits += c;
    }
    return digits;
}

void TFrmPasscode::UpdateOk()
{
    BtnOk->setEnabled(!Digits().isEmpty());
}

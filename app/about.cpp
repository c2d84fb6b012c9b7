#include "app/about.h"

#include "ui/partnumber.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmAbout::TfrmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    BuildControls();
    FormCreate();
}

void TfrmAbout::BuildControls()
{
    auto label = [this](const char *name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    Image1 = label("Image1", QString());
    Image1->setFixedSize(48, 48);
    Label1 = label("Label1", QStringLiteral("Quenvale"));
    QFont big(QStringLiteral("MS Sans Serif"));
    big.setPixelSize(24);
    Label1->setFont(big);
    Label2 = label("Label2", QString());
    lblversion = label("lblversion", QString::fromLatin1(QvPartNumber));
    Label4 = label("Label4", QStringLiteral("for use with 7400 software version 5.xx"));

    OKButton = new QPushButton(QStringLiteral("Ok"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *texts = new QVBoxLayout;
    for (QLabel *l : {Label1, Label2, lblversion, Label4})
        texts->addWidget(l);
    auto *top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addStretch(1);
    auto *all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addSpacing(8);
    all->addLayout(buttons);
    // A single fixed border: the box has nothing to show at another size.
    all->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmAbout::FormCreate()
{
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        Image1->setPixmap(icon.pixmap(48, 48));
    setWindowTitle(QStringLiteral("About ") + QApplication::applicationName());
    Label2->setText(QApplication::applicationName());
}

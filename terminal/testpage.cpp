#include "terminal/testpage.h"

#include "link/session.h"
#include "ui/prompts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

void TSelectAllEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    selectAll();
    // A click that brought the focus would otherwise place the cursor and
    // lose the selection just made.
    SelectOnClick = event->reason() == Qt::MouseFocusReason;
}

void TSelectAllEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (SelectOnClick) {
        SelectOnClick = false;
        selectAll();
    }
}

TTestPage::TTestPage(TSession &session, QWidget *parent) : QWidget(parent), Session(session)
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);

    BtnClear = new QPushButton(QStringLiteral("Clear"), Panel1);
    BtnClear->setObjectName(QStringLiteral("BtnClear"));
    EdtSendStr = new TSelectAllEdit(Panel1);
    EdtSendStr->setObjectName(QStringLiteral("EdtSendStr"));
    BtnSend = new QPushButton(QStringLiteral("Send"), Panel1);
    BtnSend->setObjectName(QStringLiteral("BtnSend"));
    CbStxEtx = new QCheckBox(QStringLiteral("Use STX, ETX"), Panel1);
    CbStxEtx->setObjectName(QStringLiteral("CbStxEtx"));

    auto *row = new QHBoxLayout(Panel1);
    row->setContentsMargins(8, 6, 8, 6);
    row->addWidget(BtnClear);
    row->addWidget(EdtSendStr, 1);
    row->addWidget(BtnSend);
    row->addWidget(CbStxEtx);

    MemoRx = new QPlainTextEdit(this);
    MemoRx->setObjectName(QStringLiteral("MemoRx"));
    MemoRx->setReadOnly(true);
    MemoRx->setUndoRedoEnabled(false);
    MemoRx->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoRx->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoRx->setFocusPolicy(Qt::ClickFocus); // not reachable with Tab

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    page->addWidget(Panel1);
    page->addWidget(MemoRx, 1);

    connect(EdtSendStr, &QLineEdit::returnPressed, this, &TTestPage::EdtSendStrKeyPress);
    connect(BtnSend, &QPushButton::clicked, this, &TTestPage::BtnSendClick);
    connect(BtnClear, &QPushButton::clicked, this, &TTestPage::BtnClearClick);
    connect(CbStxEtx, &QCheckBox::clicked, this, &TTestPage::CbStxEtxClick);
    connect(EdtSendStr, &QLineEdit::textChanged, this, &TTestPage::EdtSendStrChange);
}

void TTestPage::EdtSendStrChange(const QString &text)
{
    if (IsLatin1Text(text)) {
        AcceptedText = text;
        return;
    }
    const int cursor = EdtSendStr->cursorPosition() - int(text.size() - AcceptedText.size());
    EdtSendStr->setText(AcceptedText);
    EdtSendStr->setCursorPosition(std::max(cursor, 0));
    Prompts().Message(QStringLiteral("Only Latin-1 characters can be sent to the instrument."),
                      TPrompts::Kind::Error);
}

void TTestPage::AppendLine(const QString &line)
{
    if (MemoRx->blockCount() > MaxLines) {
        QTextCursor cursor(MemoRx->document());
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, TrimLines);
        cursor.removeSelectedText();
    }
    MemoRx->appendPlainText(line);
}

void TTestPage::PageSelected()
{
    FocusSendStr();
}

void TTestPage::SendTyped()
{
    // A passcode sent stays in the edit masked; sent again as it stands,
    // the digits go out once more.
    const QString typed = !SentPasscode.isEmpty() && EdtSendStr->text() == MaskPasscode(SentPasscode)
                              ? SentPasscode
                              : EdtSendStr->text();
    // Not while an exchange awaits its answer: the typed command's reply
    // would be taken for it.
    const bool sent = Session.SendUserCommand(typed, CbStxEtx->isChecked());
    if (TSession::OpensGuardedSettings(typed)) {
        SentPasscode = typed;
        EdtSendStr->setText(MaskPasscode(typed));
    } else {
        SentPasscode.clear();
    }
    if (sent && CommandSent)
        CommandSent();
}

void TTestPage::EdtSendStrKeyPress()
{
    SendTyped();
    // Through the Send button and back, so the text comes back selected:
    // Enter sends it again, typing replaces it.
    BtnSend->setFocus(Qt::OtherFocusReason);
    FocusSendStr();
}

void TTestPage::BtnSendClick()
{
    SendTyped();
    FocusSendStr();
}

void TTestPage::BtnClearClick()
{
    MemoRx->clear();
    FocusSendStr();
}

void TTestPage::CbStxEtxClick()
{
    FocusSendStr();
}

void TTestPage::FocusSendStr()
{
    EdtSendStr->setFocus(Qt::OtherFocusReason);
    // setFocus delivers no focus event while the window is inactive; the
    // selection is wanted either way.
    EdtSendStr->selectAll();
}

#pragma once
// The Test page: type a raw command, send it with or without STX/ETX framing,
// and watch every command and reply in the traffic view. The page only sends
// through the session; the main window routes the session's traffic lines
// here (TSession::AppendTraffic -> AppendLine) while this page is active.

#include <QLineEdit>
#include <QWidget>
#include <functional>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class TSession;

// A line edit that selects its whole text whenever it receives the focus,
// so a command sent can be sent again or overwritten at once.
class TSelectAllEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool SelectOnClick = false;
};

class TTestPage : public QWidget {
    Q_OBJECT
public:
    // The view keeps at most this many lines: a line added to a fuller view
    // first removes the TrimLines oldest in one go.
    static constexpr int MaxLines = 500;
    static constexpr int TrimLines = 10;

    explicit TTestPage(TSession &session, QWidget *parent = nullptr);

    // After every command typed and sent: whatever it was, it may have
    // changed the instrument's settings behind the program's back.
    std::function<void()> CommandSent;

    QWidget *Panel1;
    QPushButton *BtnClear;
    TSelectAllEdit *EdtSendStr;
    QPushButton *BtnSend;
    QCheckBox *CbStxEtx;
    QPlainTextEdit *MemoRx;

    // Adds one line to the traffic view (the session's AppendTraffic).
    void AppendLine(const QString &line);
    // The page was selected: the command edit takes the focus.
    void PageSelected();

    void EdtSendStrKeyPress();   // Enter in the command edit
    void BtnSendClick();
    void BtnClearClick();
    void CbStxEtxClick();
    // Characters the line cannot carry are refused in the edit, with a
    // message; the text is put back as it was before they came.
    void EdtSendStrChange(const QString &text);

private:
    void SendTyped();
    void FocusSendStr();
    QString AcceptedText;
    QString SentPasscode;   // the passcode command the edit shows masked

    TSession &Session;
};

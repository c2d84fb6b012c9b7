#pragma once
// The only way the program reaches the instrument's serial line: a small
// abstract link with four operations and three events. The main window holds
// exactly one at a time.

#include <QString>
#include <algorithm>
#include <functional>

class TIOIface {
public:
    // Received bytes as Latin-1 text (one byte, one character; any value,
    // STX/ETX/DLE/CR/LF included, not split into lines).
    std::function<void(const QString &text)> OnReceive;
    // Raised after Open / Close have run.
    std::function<void(TIOIface *transport)> OnOpen;
    std::function<void(TIOIface *transport)> OnClose;
    // A failure of the line (cannot open, port lost, write error), in words
    // for the user. The owner shows it through the prompts seam.
    std::function<void(const QString &message)> OnError;

    TIOIface() = default;
    virtual ~TIOIface() = default;
    TIOIface(const TIOIface &) = delete;
    TIOIface &operator=(const TIOIface &) = delete;

    virtual bool IsOpen() const = 0;
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual void Send(const QString &text) = 0;
    // Bits per second of the line, so that waits can allow for the time a
    // reply takes on it; 0 when the line has no speed of its own.
    virtual int BaudRate() const { return 0; }
};

// The line carries one byte per character, Latin-1: any other character
// would go out as "?", so text typed for the instrument is checked first.
inline bool IsLatin1Text(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

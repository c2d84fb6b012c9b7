#pragma once
// Cuts the byte stream from the line into commands. A command ends with ";"
// or ETX, also inside double quotes: a stray quote must not swallow the
// commands after it. STX starts a framed command afresh. Other control bytes
// are dropped, except CR and LF: the instrument does not end a command with
// them, so they stay in it and make it unknown; a lenient splitter takes them
// as ends too. A command longer than MaxLength is not kept: it comes out
// once, marked overlong, at its end.

#include <QByteArray>
#include <QList>
#include <QString>

struct TSimSplitCommand {
    QString Text;
    bool Overlong = false;
};

class TSimCommandSplitter {
public:
    static constexpr int MaxLength = 512;

    explicit TSimCommandSplitter(bool lenient = false) : Lenient(lenient) {}

    QList<TSimSplitCommand> Feed(const QByteArray &bytes);

private:
    bool Lenient = false;
    QByteArray Buffer;
    bool Overlong = false;

    void Finish(QList<TSimSplitCommand> &out);
};

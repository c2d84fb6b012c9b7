#pragma once
// Cuts the byte stream from the line into commands. A command ends with ";",
// CR, LF or ETX, also inside double quotes: a stray quote must not swallow
// the commands after it. STX starts a framed command afresh. Control bytes
// are dropped. A command longer than MaxLength is not kept: it comes out
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

    QList<TSimSplitCommand> Feed(const QByteArray &bytes);

private:
    QByteArray Buffer;
    bool Overlong = false;

    void Finish(QList<TSimSplitCommand> &out);
};

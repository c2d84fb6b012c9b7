#include "sim/sim_command_splitter.h"

#include "sim/sim_wire.h"

QList<TSimSplitCommand> TSimCommandSplitter::Feed(const QByteArray &bytes)
{
    QList<TSimSplitCommand> out;
    for (const char byte : bytes) {
        const auto c = quint8(byte);
        const bool lineEnd = byte == '\r' || byte == '\n';
        if (byte == SimWire::Stx) {
            Buffer.clear();
            Overlong = false;
        } else if (byte == SimWire::Etx || byte == ';' || (lineEnd && Lenient)) {
            Finish(out);
        } else if ((c < 0x20 && !lineEnd) || c == 0x7F) {
            continue; // noise on the line; DLE included
        } else if (Overlong) {
            continue;
        } else {
            Buffer.append(byte);
            if (Buffer.size() > MaxLength) {
                Buffer.clear();
                Overlong = true;
            }
        }
    }
    return out;
}

void TSimCommandSplitter::Finish(QList<TSimSplitCommand> &out)
{
    if (Overlong)
        out.append({QString(), true});
    else if (!Buffer.isEmpty())
        out.append({QString::fromLatin1(Buffer), false});
    Buffer.clear();
    Overlong = false;
}

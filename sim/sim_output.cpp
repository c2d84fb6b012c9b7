#include "sim/sim_output.h"

#include <algorithm>
#include <cmath>

TSimOutput::TSimOutput(QObject *parent) : QObject(parent)
{
    Clock.start();
    Timer.setSingleShot(true);
    Timer.setTimerType(Qt::PreciseTimer);
    connect(&Timer, &QTimer::timeout, this, &TSimOutput::Release);
}

void TSimOutput::Queue(const QByteArray &bytes, int delayMs)
{
    if (bytes.isEmpty())
        return;
    const qint64 now = Clock.elapsed();
    LastDue = std::max(now + std::max(0, delayMs), LastDue); // later bytes never overtake
    Items.push_back({LastDue, bytes});
    Schedule(now);
}

void TSimOutput::Clear()
{
    Items.clear();
    Timer.stop();
}

qsizetype TSimOutput::PendingBytes() const
{
    qsizetype total = 0;
    for (const TItem &item : Items)
        total += item.Bytes.size() - item.Sent;
    return total;
}

void TSimOutput::Release()
{
    const qint64 now = Clock.elapsed();
    QByteArray out;
    while (!Items.empty()) {
        TItem &head = Items.front();
        if (head.Due > now)
            break;
        if (Baud <= 0) {
            out += head.Bytes.mid(head.Sent);
            Items.pop_front();
            continue;
        }
        const double msPerByte = 10000.0 / Baud;
        if (head.Start < 0)
            head.Start = std::max(double(head.Due), LineFreeAt);
        const auto done = qsizetype(std::floor((double(now) - head.Start) / msPerByte));
        const qsizetype count = std::min(done, head.Bytes.size()) - head.Sent;
        if (count > 0) {
            out += head.Bytes.mid(head.Sent, count);
            head.Sent += count;
        }
        if (head.Sent < head.Bytes.size())
            break;
        LineFreeAt = head.Start + double(head.Bytes.size()) * msPerByte;
        Items.pop_front();
    }
    Schedule(now);
    if (!out.isEmpty())
        emit Transmit(out);
}

void TSimOutput::Schedule(qint64 now)
{
    if (Items.empty())
        return;
    const TItem &head = Items.front();
    qint64 wait = std::max<qint64>(0, head.Due - now);
    if (Baud > 0 && head.Due <= now)
        wait = std::max<qint64>(1, qint64(std::ceil(10000.0 / Baud)));
    if (!Timer.isActive() || Timer.remainingTime() > wait)
        Timer.start(int(std::min<qint64>(wait, 1 << 30)));
}

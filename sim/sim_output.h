#pragma once
// The instrument's transmitter: bytes leave in order, each piece not before
// its due time, and with pacing on no faster than the baud rate allows (ten
// bit times a byte). Bytes always leave from the event loop, never inside
// Queue, as from a real port.

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <deque>

class TSimOutput : public QObject {
    Q_OBJECT
public:
    explicit TSimOutput(QObject *parent = nullptr);

    void SetBaud(int baud) { Baud = baud; }
    int BaudRate() const { return Baud; }
    void Queue(const QByteArray &bytes, int delayMs);
    void Clear();
    qsizetype PendingBytes() const;

signals:
    void Transmit(const QByteArray &bytes);

private:
    struct TItem {
        qint64 Due;
        QByteArray Bytes;
        qsizetype Sent = 0;
        double Start = -1;
    };
    std::deque<TItem> Items;
    QTimer Timer;
    QElapsedTimer Clock;
    int Baud = 0;
    qint64 LastDue = 0;
    double LineFreeAt = 0;

    void Release();
    void Schedule(qint64 now);
};

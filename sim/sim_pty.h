#pragma once
// The simulated instrument's serial port: a pseudo-terminal in raw mode. The
// master side stays open while no client has the device open; the kernel
// then reports a hang-up (EIO on read), which is checked again now and then
// rather than in a busy loop. Bytes sent while no client is attached are
// dropped, as they would be on an unplugged cable, and what a departed client
// left unread is drained so the next one starts clean.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

class TSimPty : public QObject {
    Q_OBJECT
public:
    explicit TSimPty(QObject *parent = nullptr);
    ~TSimPty() override;

    bool Open(QString *error);
    void Close(); // the device goes away
    bool IsOpen() const { return Master >= 0; }
    QString DevicePath() const { return Path; }
    bool ClientAttached() const { return Attached; }

    void Write(const QByteArray &bytes);

    static constexpr int RetryMs = 50;
    static constexpr qsizetype MaxPending = 64 * 1024;

signals:
    void Received(const QByteArray &bytes);
    void ClientChanged(bool attached);

private:
    int Master = -1;
    QString Path;
    QSocketNotifier *ReadNotifier = nullptr;
    QSocketNotifier *WriteNotifier = nullptr;
    QTimer RetryTimer;
    QByteArray Pending;
    bool Attached = false;

    void OnReadable();
    void OnWritable();
    void Flush();
    void SetAttached(bool attached);
    void DrainSlave();
};

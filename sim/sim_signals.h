#pragma once
// Turns POSIX signals into a Qt signal on the event loop (self-pipe), so the
// program can withdraw its port announcement on SIGINT/SIGTERM and tests can
// pull the port away with SIGUSR1.

#include <QList>
#include <QObject>

class QSocketNotifier;

class TSimSignalBridge : public QObject {
    Q_OBJECT
public:
    explicit TSimSignalBridge(const QList<int> &signalNumbers, QObject *parent = nullptr);
    ~TSimSignalBridge() override;

signals:
    void Raised(int signalNumber);

private:
    QSocketNotifier *Notifier = nullptr;
    QList<int> Handled;
    void OnReadable();
};

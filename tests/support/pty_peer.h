#pragma once
// The far end of a serial line for tests: a pseudo-terminal master in raw
// mode. The code under test opens SlavePath() like any serial device; the test
// reads what was written to it, answers with bytes (whole or in pieces with
// pauses between them) and can close the master to make the port vanish.
//
// All waits run the Qt event loop, so a transport living on the same thread
// keeps receiving and sending while the test waits. Every wait is bounded.

#include <QByteArray>
#include <QString>

#include <functional>

class TPtyPeer {
public:
    // Opens the master at once; check IsValid() (ErrorString() says why not).
    TPtyPeer();
    ~TPtyPeer();
    TPtyPeer(const TPtyPeer &) = delete;
    TPtyPeer &operator=(const TPtyPeer &) = delete;

    bool IsValid() const { return MasterFd >= 0; }
    QString ErrorString() const { return Error; }
    // Device path of the slave side, e.g. "/dev/pts/7".
    QString SlavePath() const { return Slave; }

    // Takes what the slave side wrote that has arrived so far (no waiting;
    // the event loop is not run). Bytes taken are no longer in Received().
    QByteArray ReadAvailable();
    // Everything read so far and not yet taken by Take().
    QByteArray Received() const { return Buffer; }
    // Hands over and forgets everything read so far.
    QByteArray Take();

    // Runs the event loop until at least `count` bytes were received in all
    // (Received().size() >= count) or the time runs out; returns Received().
    QByteArray WaitForBytes(int count, int timeoutMs = 3000);
    // Runs the event loop until Received() contains `pattern` or the time
    // runs out; true when it does.
    bool WaitFor(const QByteArray &pattern, int timeoutMs = 3000);
    // Runs the event loop until `done()` is true or the time runs out,
    // reading the master all the while; returns done()'s last answer.
    bool WaitUntil(const std::function<bool()> &done, int timeoutMs = 3000);

    // Writes bytes to the slave side; true when all were written.
    bool Write(const QByteArray &bytes);
    // Writes bytes in pieces of `pieceSize`, running the event loop for
    // `pauseMs` after each piece so the reader sees several arrivals.
    bool WriteInPieces(const QByteArray &bytes, int pieceSize, int pauseMs = 30);

    // Closes the master: the slave side loses its line, like an unplugged
    // USB adapter. Further reads and writes of the peer do nothing.
    void CloseMaster();

    // Runs the event loop for about `ms` milliseconds (reading the master).
    void Pump(int ms);

private:
    int MasterFd = -1;
    QString Slave;
    QString Error;
    QByteArray Buffer;
};

// Runs the Qt event loop for about `ms` milliseconds.
void RunEventLoopFor(int ms);

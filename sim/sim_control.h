#pragma once
// A running simulated instrument changed by lines of text, as its program
// reads them from standard input: test weights put on and taken off ("load
// 500"), moved to a corner ("position 2"), faults of the weighing given and
// taken away ("span-error-e 2", "motion on"), so that a verification can be
// tried, and seen to fail, without a scale.

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class TSimInstrument;
struct TSimWeighingErrors;

// Sets one of the weighing faults by its option name (span-error-e,
// nonlinearity-e, eccentricity-e) from a number of divisions; false with the
// reason for another name or a value that is no number within +-1000.
bool SetSimWeighingError(TSimWeighingErrors &errors, const QString &name, const QString &value, QString *error);

// Applies one line. True with what changed in *said ("load 500"); false with
// the reason for a line it does not take. An empty line or a "#" comment
// changes nothing and says nothing.
bool ApplySimControl(TSimInstrument &instrument, const QString &line, QString *said);
QString SimControlHelp();

// Reads lines from a file (standard input) as they come, applies each and
// says what it did; at the end of the input it stops listening.
class TSimControlReader : public QObject {
    Q_OBJECT
public:
    TSimControlReader(int fd, TSimInstrument &instrument, QObject *parent = nullptr);

signals:
    void Said(const QString &text);

private:
    int Fd;
    TSimInstrument &Instrument;
    QSocketNotifier *Notifier = nullptr;
    QByteArray Pending;
    void OnReadable();
};

#pragma once
// Command-line options of the kd4620-sim program.

#include "sim/sim_config.h"

#include <QList>
#include <QString>
#include <QStringList>

struct TSimOptions {
    TSimConfig Config;
    // --units: one configuration a unit on the bus (Config with the unit's
    // address, load and serial number); empty for a single instrument.
    QList<TSimConfig> Units;
    QString LinkPath; // a fixed path for the port (a symbolic link); empty: none
    bool Verbose = false;
    int LineBaud = 0; // answer only while the port is set to this speed; 0: at any
};

enum class TSimOptionsResult { Run, ShowText, Error };

// Reads the arguments (program name first). ShowText: print *message (help,
// version) and stop; Error: *message says what is wrong.
TSimOptionsResult ParseSimOptions(const QStringList &arguments, TSimOptions *options, QString *message);

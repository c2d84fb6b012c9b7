#pragma once
// Command-line options of the kd4620-sim program.

#include "sim/sim_config.h"

#include <QString>
#include <QStringList>

struct TSimOptions {
    TSimConfig Config;
    bool Verbose = false;
};

enum class TSimOptionsResult { Run, ShowText, Error };

// Reads the arguments (program name first). ShowText: print *message (help,
// version) and stop; Error: *message says what is wrong.
TSimOptionsResult ParseSimOptions(const QStringList &arguments, TSimOptions *options, QString *message);

#include "cli/commands.h"

const QStringList &ConnectionOptions()
{
    static const QStringList options{"port", "baud", "address"};
    return options;
}

const std::vector<TCliCommand> &CliCommands()
{
    const QStringList link = ConnectionOptions();
    static const std::vector<TCliCommand> commands{
        {"ports", "ports", "List the serial ports the connection dialog offers.", {}, 0, 0, &RunPorts},
        {"find", "find [--port P]",
         "Find instruments on every port (or only P) at the common baud rates and any unit address.", {"port"}, 0,
         0, &RunFind},
        {"identify", "[--port P] [--baud N] [--address A|any] identify",
         "Show the instrument's unit address, serial number, version and ID.", link, 0, 0, &RunIdentify},
        {"read", "... read FILE.QVS", "Read all settings into a settings file.", link, 1, 1, &RunRead},
        {"write", "... write FILE.QVS [--passcode N] [--dry-run]",
         "Write the settings that differ from what the instrument holds, then store them (TDD1).\n"
         "Guarded settings need the passcode (--passcode or QV_PASSCODE). --dry-run lists the lines only.",
         link + QStringList{"passcode", "dry-run"}, 1, 1, &RunWrite},
        {"backup", "... backup FILE.cal", "Save the instrument's calibration data to a calibration file.", link, 1,
         1, &RunBackup},
        {"restore", "... restore FILE.cal [--yes]",
         "Send a calibration file back to the instrument. Its checks are asked as questions on a terminal;\n"
         "without a terminal they are answered No unless --yes is given.",
         link + QStringList{"yes"}, 1, 1, &RunRestore},
        {"report", "... report [FILE.QVS] OUT.pdf",
         "The settings report as a PDF file, from a settings file or else from the instrument.", link, 1, 2,
         &RunReport},
        {"log", "... log --seconds S [--rate auto|10hz|1hz|0.1hz] OUT.LOG|OUT.csv",
         "Log the weight for S seconds into a log file the viewer opens, or a CSV file for a spreadsheet.", link + QStringList{"seconds", "rate"}, 1,
         1, &RunLog},
    };
    return commands;
}

const TCliCommand *FindCliCommand(const QString &name)
{
    for (const TCliCommand &command : CliCommands())
        if (command.Name == name)
            return &command;
    return nullptr;
}

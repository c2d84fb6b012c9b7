#include "cli/commands.h"

const QStringList &ConnectionOptions()
{
    static const QStringList options{"port", "baud", "address", "data-bits", "parity", "stop-bits"};
    return options;
}

const std::vector<TCliCommand> &CliCommands()
{
    const QStringList link = ConnectionOptions();
    static const std::vector<TCliCommand> commands{
        {"ports", "ports", "List the serial ports the connection dialog offers.", {}, 0, 0, &RunPorts},
        {"find", "find [--port P] [--baud N] [--address A]",
         "Find instruments on every port (or only P) at the common baud rates (or only N) and any unit\n"
         "address (or only A), at 8 data bits, no parity, 1 stop bit unless given. Ports that another\n"
         "program holds are skipped.",
         link, 0, 0, &RunFind},
        {"identify", "[connection options] identify",
         "Show the instrument's unit address, serial number, version and ID.", link, 0, 0, &RunIdentify},
        {"read", "... read FILE.QVS|-", "Read all settings into a settings file (- : standard output).", link, 1, 1,
         &RunRead},
        {"write", "... write FILE.QVS|- [--passcode-file F] [--dry-run]",
         "Write the settings that differ from what the instrument holds, then store them (TDD1).\n"
         "Guarded settings need the passcode: from --passcode-file F (readable by its owner only), else\n"
         "--passcode N, else QV_PASSCODE, else asked without echo on a terminal. It is locked again\n"
         "however the write ends. --dry-run lists the lines only. - reads the file from standard input.",
         link + QStringList{"passcode-file", "passcode", "dry-run"}, 1, 1, &RunWrite},
        {"backup", "... backup FILE.cal|-", "Save the instrument's calibration data to a calibration file.", link, 1,
         1, &RunBackup},
        {"restore", "... restore FILE.cal|- [--yes]",
         "Send a calibration file back to the instrument. Its checks are asked as questions on a terminal;\n"
         "without a terminal they are answered No unless --yes is given.",
         link + QStringList{"yes"}, 1, 1, &RunRestore},
        {"report", "... report [FILE.QVS|-] OUT.pdf|-",
         "The settings report as a PDF file, from a settings file or else from the instrument.", link, 1, 2,
         &RunReport},
        {"log", "... log --seconds S [--rate auto|100|10|1] [--address A,B,...] OUT.LOG|OUT.csv|-",
         "Log the weight for S seconds into a log file the viewer opens, or a CSV file for a spreadsheet\n"
         "(- : CSV on standard output). --rate polls for at most that many samples a second (fewer when\n"
         "the instrument answers more slowly); auto, the default, takes what the instrument streams.\n"
         "--address 1,2,5 logs those units of an RS-485 bus, polled in turn (at --rate 100 unless given):\n"
         "one log file a unit (OUT-unit1.LOG, ...), or one CSV with a weight column a unit.",
         link + QStringList{"seconds", "rate"}, 1, 1, &RunLog},
        {"history", "history [SERIAL] [--since DATE] | history diff SERIAL A B | history export|import FILE|-",
         "The instruments' history that the viewer and this program keep: the instruments known, or one\n"
         "instrument's entries, newest first; the settings that differ between two of its snapshots (entry\n"
         "ids A and B); every entry to a file of JSON lines, or such a file into this history (an entry\n"
         "already there is kept once). QV_HISTORY, else History in the connection settings, says where the\n"
         "history is kept: a postgresql:// location, a SQLite file, or off.",
         {"since"}, 0, 4, &RunHistory},
        {"verify", "... verify --loads L1,L2,... [--class I|II|III|IIII] [--e E] [--max M] [--in-service]\n"
                   "       [--certificate OUT.pdf]",
         "Verification with test weights: for each load in turn, asks on standard error for it to be placed\n"
         "and Enter pressed (a line on standard input, which may be a pipe), takes the stable reading and\n"
         "prints load, indication, error, MPE and pass or fail; then the verdict. The MPE is that of the\n"
         "accuracy class (default III) for e (default: the instrument's display step), on initial\n"
         "verification or, with --in-service, twice that. Status 0 when every load passes, 1 when any fails.",
         link + QStringList{"loads", "class", "e", "max", "in-service", "certificate"}, 0, 0, &RunVerify},
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

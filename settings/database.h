#pragma once
// The in-memory image of every instrument setting: the record with its
// defaults, the instrument's write commands built from it, the queries that
// read it back, and the intake of settings lines (replies with their prefix,
// written commands, settings-file lines) into it.
//
// Weight-like values are display counts: the displayed number without its
// point; DecimalPoint says where the point goes. Indices of enumerated
// settings are the item indices of the editor's lists (settings/enumtexts.h);
// where the instrument counts from 1 the settings line carries index + 1.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>

// The longest texts the instrument holds (and answers with) for these settings.
inline constexpr int SerialIDLength = 10;
inline constexpr int AutoFormatLength = 20;

// Resolution in counts of range n is ResolutionSteps[Resolution n].
inline constexpr std::array<qint32, 7> ResolutionSteps{1, 2, 5, 10, 20, 50, 100};

struct TSetpoint {
    qint32 Type = 0;       // 0 None; the instrument accepts up to 50
    qint32 Source = 0;     // wire = index + 1
    qint32 Direction = 0;  // wire = index + 1
    qint32 Logic = 0;      // wire = index + 1
    qint32 Lock = 0;
    qint32 Alarm = 0;
    qint32 InFlight = 0;   // counts
    qint32 Tolerance = 0;  // counts
    qint32 Target = 0;     // counts
    bool operator==(const TSetpoint &) const = default;
};

struct TMaterial {
    QString Name;          // up to 10 characters
    qint32 Delay = 10;     // tenths of a second, 0 to 200
    bool operator==(const TMaterial &) const = default;
};

class Tdata7410 {
public:
    Tdata7410();

    // The 36 write-command lines, in the instrument's order. Text settings
    // that hold a character the line cannot carry safely (see
    // IsSafeSettingText) are written without it, so no text can close its
    // quotes early and smuggle in a command of its own.
    void BuildWriteCommands(QStringList &list) const;
    // Query commands and, pair by pair, the prefix that makes prefix + reply
    // a settings line: the first 16 (the build list) or all 42.
    void BuildQueryList(bool full, QStringList &queries, QStringList &expected) const;
    // Stores what each settings line carries; a value out of range, missing,
    // or a text with an unsafe character leaves that setting as it was.
    // notTaken, when given, gets the name of each value that was there but
    // not understood ("Serial Number", "Setpoint 2 Alarm").
    void ApplyLines(const QStringList &lines, QStringList *notTaken = nullptr);
    // True when the line is an answer the intake can place: one whose every
    // field ApplyLines would take (each text quoted), or one with the
    // answer's form (its item numbers in range, exactly its fields, each a
    // number or a quoted text) holding a value outside the intake's table,
    // such as an empty serial number or a choice this program has no entry
    // for. Noise and cut lines are neither.
    static bool IsAnswerLine(const QString &line);
    // Every value the line carries, by name, as the instrument sees the line:
    // "Auto-Zero / Zero Tracking / Zero Range / Zero Band", "Setpoint 2: Type
    // / Source / ..."; empty for a line that cannot be placed.
    static QString LineFieldsName(const QString &line);
    // True when a line writes a setting the instrument guards with its passcode.
    static bool HasBuildCommand(const QStringList &list);
    // A text setting may hold no double quote, no ";" and no control character:
    // on the wire it stands unescaped inside double quotes.
    static bool IsSafeSettingText(const QString &text);

    bool operator==(const Tdata7410 &) const = default;

    qint32 Address = 0;
    qint32 WeighMode = 0;       // wire = index + 1
    qint32 OperatingMode = 0;   // 0 Trade, 1 Industrial
    qint32 DecimalPoint = 0;    // decimals 0 to 5
    qint32 FullScale1 = 4000;
    qint32 FullScale2 = 6000;
    qint32 CalWeight = 3000;
    qint32 Resolution1 = 0;     // index into ResolutionSteps; wire = index + 1
    qint32 Resolution2 = 1;
    bool HighRes = false;
    qint32 AddTareLimit = 0;
    qint32 DirectZero = 0;      // mV/V x 10000
    qint32 DirectSpan = 20000;  // mV/V x 10000
    qint32 Units = 2;           // kg
    qint32 Average = 0;
    qint32 AntiJitter = 0;
    qint32 SynchFilter = 50;    // hertz
    qint32 Motion = 1;
    qint32 ZeroTracking = 0;
    qint32 ZeroRange = 3;       // wire = index + 1
    qint32 ZeroBand = 0;
    qint32 AutoZero = 0;
    std::array<qint32, 5> LinPercent{};  // -150 to 150; 0 marks an unused point
    std::array<qint32, 5> LinWeight{};
    QString SerialID;
    QString SerialNumber;       // read only
    QString Version;            // read only
    std::array<QString, 6> HeaderLines;
    QString PrintFormat;
    QString AutoFormat;
    qint32 Serial2Mode = 0;
    qint32 PrintMode = 0;       // wire = index + 1
    qint32 AutoType = 0;        // wire = index + 1
    qint32 AutoSource = 0;      // wire = index + 1
    qint32 PrintColumns = 0;
    qint32 PrintRows = 0;
    std::array<qint32, 4> FrontKeys{1, 1, 1, 1};   // Zero, Tare, Gross/Net, Print
    std::array<qint32, 4> RemoteKeys{};            // inputs 1 to 4
    qint32 InflightAdjust = 50;
    qint32 PulseTime = 10;      // tenths of a second
    // Further setpoint-control values: carried unchanged, never shown or edited.
    std::array<qint32, 5> SetpointOptions{0, 1, 1, 1, 0};
    std::array<TSetpoint, 4> Setpoints{};
    std::array<TMaterial, 2> Materials;
};

#pragma once
// A settings model for round-trip tests: every field differs from its
// default and lies within the intake limits.
#include "settings/database.h"

inline Tdata7410 EveryFieldChanged()
{
    Tdata7410 m;
    m.Address = 17;
    m.WeighMode = 3;
    m.OperatingMode = 1;
    m.DecimalPoint = 5;
    m.FullScale1 = 999999;
    m.FullScale2 = 12345;
    m.CalWeight = 0;
    m.Resolution1 = 6;
    m.Resolution2 = 4;
    m.HighRes = true;
    m.AddTareLimit = 250000;
    m.DirectZero = -31999;
    m.DirectSpan = 32000;
    m.Units = 4;
    m.Average = 14;
    m.AntiJitter = 2;
    m.SynchFilter = 12;
    m.Motion = 12;
    m.ZeroTracking = 7;
    m.ZeroRange = 0;
    m.ZeroBand = 42;
    m.AutoZero = 1;
    m.LinPercent = {-150, 20, 0, 80, 150};
    m.LinWeight = {-99999, 200, 0, 800, 999999};
    m.SerialID = QStringLiteral("ID,1 x");
    m.SerialNumber = QStringLiteral("SN0001");
    m.Version = QStringLiteral("V2.10");
    for (int i = 0; i < 6; ++i)
        m.HeaderLines[i] = QStringLiteral("Header %1, 30 characters long.").arg(i + 1).left(30);
    m.PrintFormat = QString(100, u'p');
    m.AutoFormat = QStringLiteral("%W,%U 20 characters");
    m.Serial2Mode = 3;
    m.PrintMode = 7;
    m.AutoType = 5;
    m.AutoSource = 3;
    m.PrintColumns = 20;
    m.PrintRows = 10;
    m.FrontKeys = {0, 2, 0, 2};
    m.RemoteKeys = {21, 14, 1, 7};
    m.InflightAdjust = 100;
    m.PulseTime = 200;
    m.SetpointOptions = {1, 2, 0, 0, 1};
    for (int i = 0; i < 4; ++i) {
        TSetpoint &s = m.Setpoints[i];
        s.Type = 50 - i;
        s.Source = 1;
        s.Direction = 1;
        s.Logic = 1;
        s.Lock = 1;
        s.Alarm = 1 + i % 3;
        s.InFlight = 1000 + i;
        s.Tolerance = 999999 - i;
        s.Target = -99999 + i;
    }
    m.Materials[0] = {QStringLiteral("Sand \u00e9 \u00ff"), 0};
    m.Materials[1] = {QStringLiteral("Gravel,x"), 200};
    return m;
}

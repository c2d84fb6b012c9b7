#pragma once
// The texts of every enumerated setting, in index order: the item index of an
// editor combo box is the value stored in Tdata7410. Kept in one place so the
// settings pages, the settings report and the chart all say the same thing.
// Indices the instrument accepts beyond a list (WeighMode 3, RemoteKeys 15 to
// 21, setpoint Type 6 to 50) have no text: EnumText gives "" for them.

#include <QList>
#include <QString>
#include <QStringList>

const QStringList &WeighModeTexts();
const QStringList &OperatingModeTexts();
const QStringList &DecimalPointTexts();
const QStringList &UnitsTexts();
const QStringList &ResolutionTexts();   // Resolution1 and Resolution2
const QStringList &AverageTexts();
const QStringList &AntiJitterTexts();
// SynchFilter stores hertz, not an index: the texts and the stored values
// stand at the same positions.
const QStringList &SynchFilterTexts();
const QList<int> &SynchFilterValues();
const QStringList &MotionTexts();       // Motion and ZeroTracking
const QStringList &ZeroRangeTexts();
const QStringList &AutoZeroTexts();
// key: 0 Zero, 1 Tare, 2 Gross/Net, 3 Print (Gross/Net has no "Immediate").
const QStringList &FrontKeyTexts(int key);
const QStringList &RemoteKeyTexts();
const QStringList &Serial2ModeTexts();
const QStringList &PrintModeTexts();
const QStringList &AutoTypeTexts();
const QStringList &AutoSourceTexts();
const QStringList &SetpointTypeTexts();
const QStringList &SetpointSourceTexts();
const QStringList &SetpointDirectionTexts();
const QStringList &SetpointLogicTexts();
const QStringList &SetpointLockTexts();
const QStringList &SetpointAlarmTexts();

// The text at index, or "" when the list has none there.
QString EnumText(const QStringList &texts, int index);

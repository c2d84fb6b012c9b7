#pragma once
// The operator's edits and the instrument's own changes, settings line by
// settings line. The pages were filled from one state of the instrument (the
// base); since then the operator may have changed some values on the pages,
// and the instrument others (on its own keys, or by a command typed on the
// Test page). A value the operator left as the base had it takes the
// instrument's; a value the operator changed stays the operator's.
//
// Values are the comma-separated fields of a settings line, a quoted text
// being one field with its quotes: a change of the additive tare limit does
// not take along the decimal point that shares its line.

#include <QList>
#include <QString>
#include <QStringList>

// The name a line is known by: its mnemonic, with the item number for the
// numbered lines ("IAD1", "LBT0", "PST3", "RBT2", "LIV4", "LIL1").
QString SettingLineKey(const QString &line);

// The fields after the mnemonic, quotes kept: PST1,"a,b" gives 1 and "a,b".
QStringList SettingLineFields(const QString &line);

// The edit's line with every field it has as in the base taken from held.
// Lines whose field counts disagree are taken whole: held when the edit
// equals the base, the edit otherwise.
QString MergeSettingLine(const QString &edit, const QString &base, const QString &held);

// The positions of the fields in which two lines differ, exactly (letter
// case counts); every position of the longer when their field counts differ.
QList<int> DifferingFields(const QString &first, const QString &second);

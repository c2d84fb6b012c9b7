#pragma once
// Two settings snapshots compared setting by setting: the lines that differ,
// each with the name the operator knows it by ("Full Scale 1").

#include <QString>
#include <QStringList>
#include <vector>

struct TSettingsDifference {
    QString Key;    // "IAD1", "ZST", "RBT3"
    QString Name;   // "Full Scale 1"
    QString A;      // the line in the first snapshot; empty when it has none
    QString B;
};

// In the order of `a`, then the lines only `b` holds.
std::vector<TSettingsDifference> DiffSettings(const QStringList &a, const QStringList &b);

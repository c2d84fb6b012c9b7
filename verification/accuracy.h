#pragma once
// Accuracy classes of non-automatic weighing instruments and the maximum
// permissible error (MPE) of each at a load. The MPE is a multiple of the
// verification scale interval e chosen by the band the load (in e) falls in:
//
//   MPE       Class I          Class II         Class III       Class IIII
//   0.5 e     0 to 50 000 e    0 to 5 000 e     0 to 500 e      0 to 50 e
//   1.0 e     to 200 000 e     to 20 000 e      to 2 000 e      to 200 e
//   1.5 e     above            to 100 000 e     to 10 000 e     to 1 000 e
//
// on initial verification; in service twice that. A load beyond the last
// band keeps its 1.5 e.

#include <QList>
#include <QString>
#include <optional>

enum class TAccuracyClass { I, II, III, IIII };

const QList<TAccuracyClass> &AccuracyClasses();
// "I", "II", "III", "IIII".
QString AccuracyClassName(TAccuracyClass accuracyClass);
// The class named so (blanks around it and letter case aside).
std::optional<TAccuracyClass> AccuracyClassNamed(const QString &name);

// The MPE in e for a load of `loadInE` e; the load's size counts, not its
// sign. A load on a band's upper limit lies in that band.
double MpeInE(TAccuracyClass accuracyClass, double loadInE, bool inService);

#include "verification/verifymemory.h"

#include "verification/verifyplan.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

// QSettings here rather than the program's own initialisation files: names
// of customers and sites may hold any character, which those keep to Latin-1.

namespace {

const QString Group = QStringLiteral("Verification");
// The test weights a certificate lists are a box's worth, not a warehouse's.
constexpr int MostWeights = 50;

} // namespace

bool LoadRememberedSetup(const QString &path, TVerificationSetup &setup)
{
    if (!QFileInfo(path).isFile())
        return false;
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError || !file.childGroups().contains(Group))
        return false;
    file.beginGroup(Group);
    if (const auto named = AccuracyClassNamed(file.value(QStringLiteral("Class")).toString()))
        setup.Class = *named;
    setup.InService = file.value(QStringLiteral("InService")).toBool();
    setup.Customer = file.value(QStringLiteral("Customer")).toString();
    setup.Technician = file.value(QStringLiteral("Technician")).toString();
    setup.Weights.clear();
    const int count = std::min(file.beginReadArray(QStringLiteral("Weights")), MostWeights);
    for (int i = 0; i < count; ++i) {
        file.setArrayIndex(i);
        setup.Weights.append({file.value(QStringLiteral("Id")).toString(),
                              file.value(QStringLiteral("Nominal")).toString(),
                              file.value(QStringLiteral("Class")).toString(),
                              file.value(QStringLiteral("Certificate")).toString()});
    }
    file.endArray();
    return true;
}

bool RememberSetup(const QString &path, const TVerificationSetup &setup, QString *error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSettings file(path, QSettings::IniFormat);
    file.remove(Group);
    file.beginGroup(Group);
    file.setValue(QStringLiteral("Class"), AccuracyClassName(setup.Class));
    file.setValue(QStringLiteral("InService"), setup.InService);
    file.setValue(QStringLiteral("Customer"), setup.Customer);
    file.setValue(QStringLiteral("Technician"), setup.Technician);
    file.beginWriteArray(QStringLiteral("Weights"));
    for (int i = 0; i < std::min<int>(int(setup.Weights.size()), MostWeights); ++i) {
        const TTestWeight &weight = setup.Weights[i];
        file.setArrayIndex(i);
        file.setValue(QStringLiteral("Id"), weight.Id);
        file.setValue(QStringLiteral("Nominal"), weight.Nominal);
        file.setValue(QStringLiteral("Class"), weight.WeightClass);
        file.setValue(QStringLiteral("Certificate"), weight.Certificate);
    }
    file.endArray();
    file.endGroup();
    file.sync();
    if (file.status() == QSettings::NoError)
        return true;
    if (error)
        *error = QStringLiteral("The verification setup could not be kept in %1.").arg(QDir::toNativeSeparators(path));
    return false;
}

#pragma once
// The name an operator knows a settings line by, for messages about it:
// "IAD1,6000,2,1,0,0" is "Full Scale 1", "RBT3,0" is "Remote 3".

#include <QString>

// The line's mnemonic itself when it is not one of the settings lines.
QString SettingLineName(const QString &line);

#include "settings/enumtexts.h"

const QStringList &WeighModeTexts()
{
    static const QStringList texts{"Single", "Dual Range", "Dual Interval"};
    return texts;
}

const QStringList &OperatingModeTexts()
{
    static const QStringList texts{"Trade", "Industrial"};
    return texts;
}

const QStringList &DecimalPointTexts()
{
    static const QStringList texts{" 123456", " 12345 . 6", " 1234 . 56",
                                   " 123 . 456", " 12 . 3456", " 1 . 23456"};
    return texts;
}

const QStringList &UnitsTexts()
{
    static const QStringList texts{"", "g", "kg", "lb", "t"};
    return texts;
}

const QStringList &ResolutionTexts()
{
    static const QStringList texts{"1", "2", "5", "10", "20", "50", "100"};
    return texts;
}

const QStringList &AverageTexts()
{
    static const QStringList texts{"1", "2", "3", "4", "5", "6", "7", "8",
                                   "9", "10", "25", "50", "75", "100", "200"};
    return texts;
}

const QStringList &AntiJitterTexts()
{
    static const QStringList texts{"Off", "Fine", "Course"};
    return texts;
}

const QStringList &SynchFilterTexts()
{
    static const QStringList texts{"60", "50", "30", "25", "15", "12.5"};
    return texts;
}

const QList<int> &SynchFilterValues()
{
    static const QList<int> values{60, 50, 30, 25, 15, 12};
    return values;
}

const QStringList &MotionTexts()
{
    static const QStringList texts{
        "Off",
        "0.5 div in 1 second", "1.0 div in 1 second", "2.0 div in 1 second", "5.0 div in 1 second",
        "0.5 div in 0.5 seconds", "1.0 div in 0.5 seconds", "2.0 div in 0.5 seconds",
        "5.0 div in 0.5 seconds",
        "0.5 div in 0.2 seconds", "1.0 div in 0.2 seconds", "2.0 div in 0.2 seconds",
        "5.0 div in 0.2 seconds"};
    return texts;
}

const QStringList &ZeroRangeTexts()
{
    static const QStringList texts{"-20% to 20%", "-100% to 100%", "-2% to 2%", "-1% to 3%"};
    return texts;
}

const QStringList &AutoZeroTexts()
{
    static const QStringList texts{"Off", "On"};
    return texts;
}

const QStringList &FrontKeyTexts(int key)
{
    static const QStringList texts{"Lock", "Normal", "Immediate"};
    static const QStringList grossNetTexts{"Lock", "Normal", ""};
    return key == 2 ? grossNetTexts : texts;
}

const QStringList &RemoteKeyTexts()
{
    static const QStringList texts{"None", "Zero", "Tare", "Gross/Net", "Print",
                                   "Blank", "Lock", "Show Total", "Clear Total",
                                   "Memory - (Undo)", "Auto A", "Auto B", "Hold",
                                   "Peak Hold", "Livestock Hold"};
    return texts;
}

const QStringList &Serial2ModeTexts()
{
    static const QStringList texts{"Off", "Auto", "Print", "Single"};
    return texts;
}

const QStringList &PrintModeTexts()
{
    static const QStringList texts{"Single", "Double", "Ticket", "Auto. Single",
                                   "Auto. Double", "Auto. Ticket", "Total", "Auto Total"};
    return texts;
}

const QStringList &AutoTypeTexts()
{
    static const QStringList texts{"Auto A", "Auto B", "Auto C", "Auto D", "Auto E", "Custom"};
    return texts;
}

const QStringList &AutoSourceTexts()
{
    static const QStringList texts{"Display", "Gross", "Net", "Total"};
    return texts;
}

const QStringList &SetpointTypeTexts()
{
    static const QStringList texts{"None", "Active", "Motion", "Zero", "Error", "Net"};
    return texts;
}

const QStringList &SetpointSourceTexts()
{
    static const QStringList texts{"Gross", "Net"};
    return texts;
}

const QStringList &SetpointDirectionTexts()
{
    static const QStringList texts{"Over", "Under"};
    return texts;
}

const QStringList &SetpointLogicTexts()
{
    static const QStringList texts{"High", "Low"};
    return texts;
}

const QStringList &SetpointLockTexts()
{
    static const QStringList texts{"Off", "On"};
    return texts;
}

const QStringList &SetpointAlarmTexts()
{
    static const QStringList texts{"None", "Single Beep", "Double Beep", "Continuous Beep",
                                   "Flash Display"};
    return texts;
}

QString EnumText(const QStringList &texts, int index)
{
    return index >= 0 && index < texts.size() ? texts.at(index) : QString();
}

#include "settings/settingsfile.h"

#include "settings/database.h"
#include "settings/textfilelines.h"

#include <QDir>
#include <QSet>

namespace {

// The mnemonics a settings file holds: those of the write commands.
const QSet<QString> &FileMnemonics()
{
    static const QSet<QString> mnemonics = [] {
        QStringList lines;
        Tdata7410().BuildWriteCommands(lines);
        QSet<QString> set;
        for (const QString &line : lines)
            set.insert(line.left(3));
        return set;
    }();
    return mnemonics;
}

// The file was read; what it holds is no use as settings.
QString NotSettingsFile(const QString &path, const QString &why)
{
    return QStringLiteral("\"%1\" is not a settings file. %2 Nothing was loaded.")
        .arg(QDir::toNativeSeparators(path), why);
}

const QString UnendedNote = QStringLiteral(
    "The last line of the file has no line end, so the file may be cut short; that line was passed over.");

} // namespace

bool IsSettingsLine(const QString &line)
{
    return line.size() >= 3 && FileMnemonics().contains(line.left(3));
}

bool SaveTextLines(const QString &path, const QStringList &lines, QString *error)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toLatin1();
        bytes += "\r\n";
    }
    TAtomicFileWriter writer(path);
    writer.Write(bytes);
    return writer.Commit(error);
}

bool SaveSettingsFile(const QString &path, const Tdata7410 &model, QString *error)
{
    QStringList lines;
    model.BuildWriteCommands(lines);
    return SaveTextLines(path, lines, error);
}

bool ReadSettingsLines(const QString &path, QStringList &lines, TSettingsLoadResult &result,
                       QString *error)
{
    lines.clear();
    result = {};
    TTextFileLines reader;
    if (!reader.Open(path, error))
        return false;
    if (reader.FileSize() > MaxSettingsFileSize) {
        if (error)
            *error = NotSettingsFile(path, QStringLiteral("It is too large to be a settings file."));
        return false;
    }
    QString line;
    int number = 0;
    while (reader.Next(line)) {
        ++number;
        if (reader.SawNul())
            break;
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        // "IAD1,99999" may be what is left of "IAD1,999999": only a line
        // that ends is known to be whole.
        result.Unended = !reader.LastLineEnded();
        if (!reader.LastLineTooLong() && !result.Unended && IsSettingsLine(line)) {
            lines << line;
            ++result.SettingsLines;
        } else {
            ++result.PassedOver;
            if (!result.Unended)
                result.PassedOverLines << number;
            if (reader.LastLineTooLong())
                ++result.TooLong;
        }
    }
    QString why;
    if (reader.Failed())
        why = reader.ErrorText();
    else if (reader.SawNul())
        why = QStringLiteral("It is not a text file.");
    else if (lines.isEmpty())
        why = QStringLiteral("It holds no settings.") + (result.Unended ? u' ' + UnendedNote : QString());
    if (why.isEmpty())
        return true;
    lines.clear();
    if (error)
        *error = reader.Failed() ? why + QStringLiteral(" Nothing was loaded.") : NotSettingsFile(path, why);
    return false;
}

bool LoadSettingsFile(const QString &path, Tdata7410 &model, QString *error, TSettingsLoadResult *result)
{
    QStringList lines;
    TSettingsLoadResult local;
    const bool ok = ReadSettingsLines(path, lines, local, error);
    if (ok)
        model.ApplyLines(lines, &local.NotTaken);
    if (result)
        *result = local;
    return ok;
}

QString SettingsLoadNote(const TSettingsLoadResult &result)
{
    QStringList parts;
    if (result.SettingsLines < SettingsFileLines)
        parts << QStringLiteral("The file holds %1 of the %2 settings lines; the settings it does not name "
                                "keep their values.")
                     .arg(result.SettingsLines)
                     .arg(SettingsFileLines);
    if (result.PassedOver > int(result.Unended)) {
        QStringList numbers;
        for (const int number : result.PassedOverLines)
            numbers << QString::number(number);
        parts << QStringLiteral("%1 line(s) of the file (%2 %3) are not settings lines and were passed over.")
                     .arg(result.PassedOver - int(result.Unended))
                     .arg(numbers.size() == 1 ? QStringLiteral("line") : QStringLiteral("lines"),
                          numbers.join(QStringLiteral(", ")));
    }
    if (!result.NotTaken.isEmpty())
        parts << QStringLiteral("These values of the file are not valid and were not taken; their settings keep "
                                "their values: %1.")
                     .arg(result.NotTaken.join(QStringLiteral(", ")));
    if (result.Unended)
        parts << UnendedNote;
    return parts.join(u' ');
}

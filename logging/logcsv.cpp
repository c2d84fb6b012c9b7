#include "logging/logcsv.h"

#include "logging/logchannels.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"
#include "settings/textfilelines.h"

namespace {
QByteArray Quoted(const QString &text)
{
    QByteArray field = text.toUtf8();
    field.replace("\"", "\"\"");
    return '"' + field + '"';
}
} // namespace

QByteArray LogCsvHeading(const TLoggingSession &session, const QString &comment)
{
    QByteArray heading;
    if (!comment.isEmpty())
        heading += Quoted(comment) + "\r\n";
    if (HoldsSeveralUnits(session)) {
        heading += "time_s";
        for (const int trace : UnitTracesWithSamples(session))
            heading += ",weight_unit" + QByteArray::number(session.Traces[size_t(trace)].Tag);
        if (HoldsSamplesOfNoUnit(session))
            heading += ",weight";
    } else {
        heading += "time_s,weight";
    }
    for (const int choice : session.Channels)
        if (choice != LogChannels::ChoiceNone)
            heading += ',' + LogChannels::LabelText(choice).toUtf8();   // item texts: no comma, no quote
    return heading + "\r\n";
}

bool ExportLogCsv(const QString &path, const TLoggingSession &session, const QString &comment, QString *error)
{
    return WriteLinesAtomically(
        path, LogCsvHeading(session, comment),
        [&](const auto &sink) {
            if (HoldsSeveralUnits(session))
                WriteUnitColumnBytes(session, sink);
            else
                WriteLogSampleBytes(session, true, sink);
        },
        error);
}

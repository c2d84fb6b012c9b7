#include "logging/logcsv.h"

#include "logging/logchannels.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"
#include "settings/textfilelines.h"

namespace {
constexpr qsizetype FlushBytes = 256 * 1024;

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
    heading += "time_s,weight";
    for (const int choice : session.Channels)
        if (choice != LogChannels::ChoiceNone)
            heading += ',' + LogChannels::LabelText(choice).toUtf8();   // item texts: no comma, no quote
    return heading + "\r\n";
}

bool ExportLogCsv(const QString &path, const TLoggingSession &session, const QString &comment, QString *error)
{
    TAtomicFileWriter writer(path);
    QByteArray buffer = LogCsvHeading(session, comment);
    WriteLogSampleBytes(session, true, [&](const QByteArray &line) {
        buffer += line;
        buffer += "\r\n";
        if (buffer.size() >= FlushBytes) {
            writer.Write(buffer);
            buffer.clear();
        }
    });
    writer.Write(buffer);
    return writer.Commit(error);
}

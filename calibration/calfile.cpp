#include "calibration/calfile.h"

#include "link/inifile.h"
#include "ui/partnumber.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString HeaderSection = QStringLiteral("Header");
const QString DataSection = QStringLiteral("CalData");
const QString ProgramKey = QStringLiteral("VerProg");
const QString InstrumentKey = QStringLiteral("Ver4620");
const QString SerialKey = QStringLiteral("SerialNo");
const QString DataKey = QStringLiteral("MDD1");
const QString ChecksumKey = QStringLiteral("CheckSum1");

constexpr int ChecksumSeed = 165;

// A text file never holds a NUL; a file that does is an image, an archive or
// the like picked by mistake, and its "lines" would be nonsense.
bool IsBinary(const QByteArray &bytes) { return bytes.contains('\0'); }

QString BinaryReason() { return QStringLiteral("it holds binary data, not text"); }

// The bytes of an ordinary file of at most MaxCalFileBytes. A folder, a pipe
// or a device would block or never end; a huge file would only waste memory.
bool ReadLimited(const QString &path, QByteArray *bytes, QString *reason)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        *reason = QStringLiteral("it does not exist");
        return false;
    }
    if (!info.isFile()) {
        *reason = QStringLiteral("it is not an ordinary file");
        return false;
    }
    const QString tooLarge = QStringLiteral("it is larger than %1 bytes").arg(MaxCalFileBytes);
    if (info.size() > MaxCalFileBytes) {
        *reason = tooLarge;
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return false;
    }
    *bytes = file.read(MaxCalFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return false;
    }
    if (bytes->size() > MaxCalFileBytes) { // it grew while we looked
        *reason = tooLarge;
        return false;
    }
    return true;
}

} // namespace

TCalFileRecord CalRecordOf(const TIniFile &ini)
{
    TCalFileRecord record;
    record.VerProg = ini.ReadString(HeaderSection, ProgramKey, QString());
    record.Ver4620 = ini.ReadString(HeaderSection, InstrumentKey, QString());
    record.SerialNo = ini.ReadString(HeaderSection, SerialKey, QString());
    record.MDD1 = ini.ReadString(DataSection, DataKey, QString());
    record.CheckSum1 = ini.ReadInteger(DataSection, ChecksumKey, 0);
    return record;
}

void StoreCalRecord(TIniFile &ini, const TCalFileRecord &record)
{
    ini.WriteString(HeaderSection, ProgramKey, record.VerProg);
    ini.WriteString(HeaderSection, InstrumentKey, record.Ver4620);
    ini.WriteString(HeaderSection, SerialKey, record.SerialNo);
    ini.WriteString(DataSection, DataKey, record.MDD1);
    ini.WriteInteger(DataSection, ChecksumKey, record.CheckSum1);
}

qint32 CalDataChecksum(const QString &data)
{
    quint32 sum = ChecksumSeed;
    for (const char byte : data.toLatin1())
        sum += quint8(byte);
    return qint32(sum);
}

QString CalFileName(const QString &chosen)
{
    const QString name = QFileInfo(chosen).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // A leading dot marks a hidden name, not an extension.
    const qsizetype cut = dot > 0 ? chosen.size() - (name.size() - dot) : chosen.size();
    return chosen.left(cut) + QStringLiteral(".cal");
}

bool IsSendableCalData(const QString &data)
{
    for (const QChar c : data) {
        const char16_t code = c.unicode();
        if (code < 0x20 || code == 0x7F || code > 0xFF || c == QLatin1Char(';') || c == QLatin1Char('"'))
            return false;
    }
    return true;
}

QString CalFileStoredForm(const QString &value)
{
    TIniFile written;
    written.WriteString(DataSection, DataKey, value);
    TIniFile read;
    read.Parse(written.ToBytes());
    return read.ReadString(DataSection, DataKey, QString());
}

QString CalDataProblem(const QString &data)
{
    if (!IsSendableCalData(data))
        return QStringLiteral("The data holds \";\", a double quote or control characters, which the instrument "
                              "would take as the end of the command.");
    if (CalFileStoredForm(data) != data)
        return QStringLiteral("The data begins or ends with a space, which a calibration file cannot keep.");
    return {};
}

QString CalFileProgramVersion() { return QStringLiteral("View4620:") + QLatin1String(QvPartNumber); }

TCalFileRead ReadCalFileBytes(const QByteArray &bytes)
{
    TCalFileRead result;
    if (IsBinary(bytes)) {
        result.Error = BinaryReason();
        return result;
    }
    TIniFile ini;
    ini.Parse(bytes);
    result.Record = CalRecordOf(ini);
    result.Ok = true;
    return result;
}

TCalFileRead ReadCalFile(const QString &path)
{
    QByteArray bytes;
    TCalFileRead result;
    if (!ReadLimited(path, &bytes, &result.Error))
        return result;
    return ReadCalFileBytes(bytes);
}

bool WriteCalFile(const QString &path, const TCalFileRecord &record, QString *error)
{
    TIniFile ini(path);
    if (QFileInfo::exists(path)) {
        QByteArray bytes;
        if (!ReadLimited(path, &bytes, error))
            return false;
        if (IsBinary(bytes)) {
            *error = BinaryReason();
            return false;
        }
        ini.Parse(bytes);
    }
    StoreCalRecord(ini, record);
    if (!ini.Save()) {
        *error = ini.ErrorString();
        return false;
    }
    return true;
}

#include "link/dmviewer.h"

#include "link/connectionsettingsfile.h"

#include <QFileInfo>
#include <QtDebug>

namespace {
QString Key(const char *key) { return QString::fromLatin1(key); }
const QString SectionName = QString::fromLatin1(TdatViewer::Section);
} // namespace

TdatViewer::TdatViewer() : TdatViewer(ConnectionSettingsFile()) {}

TdatViewer::TdatViewer(const QString &fileName) : Ini(fileName)
{
    if (!QFileInfo::exists(fileName))
        return;
    Persistent = Ini.Load();
    if (!Persistent)
        qWarning("Connection settings %s could not be read (%s); they will not be saved.",
                 qUtf8Printable(fileName), qUtf8Printable(Ini.ErrorString()));
}

TdatViewer::~TdatViewer()
{
    if (!Save())
        qWarning("Connection settings could not be saved to %s: %s", qUtf8Printable(FileName()),
                 qUtf8Printable(ErrorString()));
}

bool TdatViewer::Save()
{
    if (!Persistent || !Ini.IsModified())
        return true;
    return Ini.Save();
}

QString TdatViewer::SerialPort() const { return Ini.ReadString(SectionName, Key("SerialPort"), DefaultSerialPort()); }
void TdatViewer::SetSerialPort(const QString &name)
{
    if (Persistent)
        Ini.WriteString(SectionName, Key("SerialPort"), name);
}

QString TdatViewer::History() const { return Ini.ReadString(SectionName, QStringLiteral("History"), {}); }

QString TdatViewer::LastFolder() const { return Ini.ReadString(QStringLiteral("Files"), QStringLiteral("LastFolder"), {}); }
void TdatViewer::SetLastFolder(const QString &folder)
{
    if (Persistent && folder != LastFolder())
        Ini.WriteString(QStringLiteral("Files"), QStringLiteral("LastFolder"), folder);
}

int TdatViewer::BaudRate() const { return ReadInteger("BaudRate", DefaultBaudRate); }
void TdatViewer::SetBaudRate(int baud) { WriteInteger("BaudRate", baud); }

int TdatViewer::DataBits() const { return ReadInteger("DataBits", DefaultDataBits); }
void TdatViewer::SetDataBits(int bits) { WriteInteger("DataBits", bits); }

int TdatViewer::StopBits() const { return ReadInteger("StopBits", DefaultStopBits); }
void TdatViewer::SetStopBits(int bits) { WriteInteger("StopBits", bits); }

int TdatViewer::ParityBits() const { return ReadInteger("ParityBits", DefaultParityBits); }
void TdatViewer::SetParityBits(int parity) { WriteInteger("ParityBits", parity); }

int TdatViewer::SerialAddress() const { return ReadInteger("SerialAddress", DefaultSerialAddress); }
void TdatViewer::SetSerialAddress(int address) { WriteInteger("SerialAddress", address); }

int TdatViewer::ReadInteger(const char *key, int defaultValue) const
{
    return Ini.ReadInteger(SectionName, Key(key), defaultValue);
}

void TdatViewer::WriteInteger(const char *key, int value)
{
    if (Persistent)
        Ini.WriteInteger(SectionName, Key(key), value);
}

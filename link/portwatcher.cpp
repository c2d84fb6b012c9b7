#include "link/portwatcher.h"

#include "link/portlist.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

TPortWatcher::TPortWatcher(QObject *parent) : QObject(parent)
{
    Timer.setInterval(PollMs);
    connect(&Timer, &QTimer::timeout, this, &TPortWatcher::Look);
}

void TPortWatcher::Remember(const TIOIface &link)
{
    Stop();
    Lost = {};
    const auto *serial = dynamic_cast<const TIOIfaceSerial *>(&link);
    if (!serial)
        return;
    const TIOIfaceSerial &transport = *serial;
    Lost = IdentityOf(SerialDeviceName(transport.PortName()));
    Lost.Path = transport.PortName();
    LostLinkStamp = LinkStamp(SerialDeviceName(Lost.Path));
    Baud = transport.BaudRate();
    DataBits = transport.DataBits();
    StopBits = transport.StopBits();
    Parity = transport.Parity();
}

void TPortWatcher::Watch()
{
    if (!Lost.Path.isEmpty())
        Timer.start();
}

void TPortWatcher::Stop() { Timer.stop(); }

TPortIdentity TPortWatcher::IdentityOf(const QString &path)
{
    TPortIdentity identity;
    identity.Path = path;
    // A /dev/serial/by-id link names the device it points to.
    const QString device = QFileInfo(path).canonicalFilePath();
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        if (info.systemLocation() != device && info.systemLocation() != path && info.portName() != path)
            continue;
        identity.SerialNumber = info.serialNumber();
        identity.HasIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        identity.VendorId = info.vendorIdentifier();
        identity.ProductId = info.productIdentifier();
        break;
    }
    return identity;
}

quint64 TPortWatcher::LinkStamp(const QString &path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return 0;
#else
    struct stat link {};
    if (::lstat(QFile::encodeName(path).constData(), &link) != 0 || !S_ISLNK(link.st_mode))
        return 0;
    return quint64(link.st_ino) * 1000003u ^ quint64(link.st_ctim.tv_sec) * 1000000000u ^ quint64(link.st_ctim.tv_nsec);
#endif
}

QList<TPortIdentity> TPortWatcher::PresentPorts()
{
    QList<TPortIdentity> present;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        TPortIdentity identity;
#ifdef Q_OS_WIN
        identity.Path = info.portName();
#else
        identity.Path = info.systemLocation();
#endif
        identity.SerialNumber = info.serialNumber();
        identity.HasIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        identity.VendorId = info.vendorIdentifier();
        identity.ProductId = info.productIdentifier();
        present << identity;
    }
    return present;
}

QString TPortWatcher::FindAgain(const TPortIdentity &lost, const QList<TPortIdentity> &present,
                                const std::function<bool(const QString &)> &exists)
{
    // The same path, unless it now holds an adapter with another serial number.
    const auto atPath = std::find_if(present.begin(), present.end(),
                                     [&lost](const TPortIdentity &port) { return port.Path == lost.Path; });
    const bool other = atPath != present.end() && !lost.SerialNumber.isEmpty() &&
                       atPath->SerialNumber != lost.SerialNumber;
    if (exists(lost.Path) && !other)
        return lost.Path;
    auto sameIds = [&lost](const TPortIdentity &port) {
        return lost.HasIds && port.HasIds && port.VendorId == lost.VendorId && port.ProductId == lost.ProductId;
    };
    if (!lost.SerialNumber.isEmpty()) {
        for (const TPortIdentity &port : present)
            if (port.SerialNumber == lost.SerialNumber && (!lost.HasIds || sameIds(port)))
                return port.Path;
        return {};
    }
    // Without a serial number two adapters of one make look alike: only a
    // single candidate is taken for the lost one.
    QString candidate;
    for (const TPortIdentity &port : present) {
        if (!sameIds(port))
            continue;
        if (!candidate.isEmpty())
            return {};
        candidate = port.Path;
    }
    return candidate;
}

void TPortWatcher::Look()
{
    const QString path = FindAgain(Lost, PresentPorts(), [this](const QString &name) {
        const QString device = SerialDeviceName(name);
        return DeviceExists(device) && (LostLinkStamp == 0 || LinkStamp(device) != LostLinkStamp);
    });
    if (path.isEmpty())
        return;
    {
        // A device node can appear before it may be opened (permissions are
        // set a moment later): connecting then would only fail with a message.
        QSerialPort probe(SerialDeviceName(path));
        if (!probe.open(QIODevice::ReadWrite))
            return;
        probe.close();
    }
    Stop();
    auto transport = std::make_unique<TIOIfaceSerial>();
    transport->SetPortName(path);
    transport->SetBaudRate(Baud);
    transport->SetDataBits(DataBits);
    transport->SetStopBits(StopBits);
    transport->SetParity(Parity);
    if (const auto returned = Returned)
        returned(std::move(transport));
}

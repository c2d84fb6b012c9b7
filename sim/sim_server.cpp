#include "sim/sim_server.h"

#include <QFile>

TSimServer::TSimServer(const TSimConfig &config, const QString &linkPath, QObject *parent)
    : TSimServer(QList<TSimConfig>{config}, linkPath, parent)
{
}

TSimServer::TSimServer(const QList<TSimConfig> &units, const QString &linkPath, QObject *parent)
    : QObject(parent), Configs(units.isEmpty() ? QList<TSimConfig>{TSimConfig()} : units), LinkPath(linkPath)
{
}

TSimServer::~TSimServer()
{
    if (!LinkPath.isEmpty())
        QFile::remove(LinkPath);
}

bool TSimServer::Start(QString *error)
{
    // The old port first: its client sees the line go before the new one exists.
    Pty.reset();
    Line = std::make_unique<TSimBus>(Configs);
    Pty = std::make_unique<TSimPty>();
    if (!Pty->Open(error))
        return false;
    connect(Pty.get(), &TSimPty::Received, Line.get(), &TSimBus::Receive);
    connect(Line.get(), &TSimBus::Transmit, Pty.get(), &TSimPty::Write);
    connect(Line.get(), &TSimBus::PortLost, this, [this] {
        Pty->Close();
        emit PortLost();
    });
    if (LinkPath.isEmpty())
        return true;
    QFile::remove(LinkPath);
    if (QFile::link(Pty->DevicePath(), LinkPath))
        return true;
    *error = QStringLiteral("cannot make the link %1 to %2").arg(LinkPath, Pty->DevicePath());
    return false;
}

QString TSimServer::Path() const
{
    return LinkPath.isEmpty() && Pty ? Pty->DevicePath() : LinkPath;
}

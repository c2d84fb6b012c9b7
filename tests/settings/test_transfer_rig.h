#pragma once
// A session connected in-process to the simulated instrument, the two
// settings models and the transfer, with scripted prompts. The script
// watches each progress and ticks the transfer by hand (no 20 ms waits), so
// a transfer that waits out four silent sends still takes a moment only.

#include "link/session.h"
#include "settings/database.h"
#include "settings/transfer.h"
#include "sim/sim_instrument.h"
#include "sim/sim_transport.h"
#include "ui/scriptedprompts.h"

#include <QCoreApplication>
#include <memory>
#include <optional>

struct TTransferRig {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    TSimInstrument Instrument;
    TSession Session;
    Tdata7410 EditModel;
    Tdata7410 InstrumentModel;
    TSettingsTransfer Transfer{Session, EditModel, InstrumentModel};
    QStringList Wire;          // every command as handed to the line, without ";"
    int PagesFilled = 0;
    QStringList Captions;      // of the progress dialogs, in order
    QStringList LinkFailures;  // what the session reported of a failed line

    explicit TTransferRig(const TSimConfig &config = {}) : Instrument(config)
    {
        Session.ShowCommand = [this](const QString &command) { Wire << Strip(command); };
        Transfer.FillSettingsPages = [this] { ++PagesFilled; };
        Session.LinkFailed = [this](const QString &message) { LinkFailures << message; };
        Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(Instrument));
        Session.SetActivity(actDisplay);
    }

    static QString Strip(QString command)
    {
        if (command.endsWith(QLatin1Char(';')))
            command.chop(1);
        return command;
    }

    // Stores settings lines in the instrument as if set on its own keys.
    void Preset(const QStringList &lines)
    {
        for (const QString &line : lines)
            Instrument.Receive(line.toLatin1() + ';');
        Settle();
    }

    static void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    // The commands sent, display polls left out.
    QStringList Commands() const
    {
        QStringList out;
        for (const QString &c : Wire) {
            if (!c.contains(QLatin1String("MSV?")) && !c.contains(QLatin1String("ESR?")))
                out << c;
        }
        return out;
    }

    // Watches the next progress; during(transfer, tick) may act before each tick.
    void RunTraffic(std::function<void(TSettingsTransfer &, int)> during = {})
    {
        Script.ProgressAnswers.push_back([this, during](TProgress &progress) {
            Captions << progress.Caption;
            Transfer.Timer1.stop();
            for (int tick = 0; Transfer.Engine.Running() && tick < 20000; ++tick) {
                Settle();
                if (during)
                    during(Transfer, tick);
                Transfer.Timer1Timer();
            }
        });
    }

    // The digits typed, or nothing for a cancel.
    void AnswerPasscode(const std::optional<QString> &digits)
    {
        Script.PasscodeAnswers.push_back(digits);
    }

    // A completed read, so both models mirror the instrument.
    bool ReadAll()
    {
        RunTraffic();
        const bool ok = Transfer.ReadSettings1Click().Ok();
        Wire.clear();
        Captions.clear();
        return ok;
    }
};

// The front-panel keys of the live display, clicked on the picture or pressed
// on the keyboard, the live weight they act on, and the keyboard's way to
// the main pages.

#include "app/frmmain.h"

#include "display/livedisplay.h"
#include "display/u7400led.h"

#include <QShortcut>
#include <QTabWidget>
#include <array>

namespace {
// The keys in the order of the display's regions 1 to 4.
const char *const FrontKeyNames[] = {"Zero", "Tare", "Gross/Net", "Print"};
} // namespace

void TFrmMain::WireKeyboard()
{
    // F5 to F8 press the front-panel keys while the Display page is in
    // front; with Shift they are held, as a Shift+click on the picture is.
    QStringList tips;
    for (int key = 1; key <= 4; ++key) {
        const auto fkey = Qt::Key(Qt::Key_F4 + key);
        for (const bool held : {false, true}) {
            const QKeyCombination combination(held ? Qt::ShiftModifier : Qt::NoModifier, fkey);
            auto *shortcut = new QShortcut(QKeySequence(combination), this);
            connect(shortcut, &QShortcut::activated, this, [this, key, held] {
                if (PgCMain->currentWidget() == TSDisplay)
                    PressDisplayKey(key, held);
            });
        }
        const QString name = QKeySequence(fkey).toString(QKeySequence::NativeText);
        tips << QStringLiteral("%1: %2 (held: Shift+%2)").arg(QLatin1String(FrontKeyNames[key - 1]), name);
    }
    LCDMain->setToolTip(tips.join(u'\n'));
    // Ctrl+1 to Ctrl+5: the pages in the order of their tabs, when shown.
    for (int index = 0; index < PgCMain->count(); ++index) {
        const QKeyCombination combination(Qt::ControlModifier, Qt::Key(Qt::Key_1 + index));
        auto *shortcut = new QShortcut(QKeySequence(combination), this);
        connect(shortcut, &QShortcut::activated, this, [this, index] {
            if (PgCMain->isEnabled() && PgCMain->isTabVisible(index))
                PgCMain->setCurrentIndex(index);
        });
        PgCMain->setTabToolTip(index, shortcut->key().toString(QKeySequence::NativeText));
    }
}

void TFrmMain::SetRegionRects()
{
    // The four front-panel keys under the digits, then the small key at the
    // lower right, in the picture's 600 x 400 design units.
    for (int i = 1; i <= 4; ++i)
        LCDMain->SetRegionRect(i, {100 + 98 * (i - 1), 260, 92 + 98 * i, 350});
    LCDMain->SetRegionRect(5, {520, 320, 560, 370});
}

void TFrmMain::WireDisplayKeys()
{
    // Region 5 (and the calibration display) have no key behind them.
    const std::array<void (TFrmMain::*)(), 4> plain{&TFrmMain::LCDMainRegionClick1, &TFrmMain::LCDMainRegionClick2,
                                                   &TFrmMain::LCDMainRegionClick3, &TFrmMain::LCDMainRegionClick4};
    const std::array<void (TFrmMain::*)(), 4> shifted{
        &TFrmMain::LCDMainRegionShiftClick1, &TFrmMain::LCDMainRegionShiftClick2,
        &TFrmMain::LCDMainRegionShiftClick3, &TFrmMain::LCDMainRegionShiftClick4};
    for (int i = 0; i < 4; ++i) {
        LCDMain->SetOnRegionClick(i + 1, [this, handler = plain[size_t(i)]] { (this->*handler)(); });
        LCDMain->SetOnRegionShiftClick(i + 1, [this, handler = shifted[size_t(i)]] { (this->*handler)(); });
    }
}

void TFrmMain::UpdateDisplayFromReply(TT7400LED &Display)
{
    TLiveDisplayInput input;
    input.StatusReply = Session.StatusReplyAwaited();
    input.TickCycle = Session.TickCycle();
    input.DisplayUnits = ShownUnitsIndex();
    input.WeighMode = EditModel.WeighMode;
    ::UpdateDisplayFromReply(Display, Session.Parser(), input, ErrorStatus);
}

void TFrmMain::PressDisplayKey(int Key, bool Modified)
{
    // The keys of the unit the page shows (one of a bus), selected for it.
    const int unit = Session.DisplayUnit();
    const QString command = DisplayKeyCommand(Key, Modified, unit);
    // With the link closed a key does nothing, not even delay the polls
    // of the next connection; while an answer is awaited (the start-up
    // questions) the key's "0" would be taken for it, so it does nothing
    // then either.
    if (command.isEmpty() || !Session.SendUserCommand(command, true, unit))
        return;
    Session.DelayNextPoll(TSession::KeyPollDelayTicks);
}

void TFrmMain::LCDMainRegionClick1() { PressDisplayKey(1, false); }
void TFrmMain::LCDMainRegionClick2() { PressDisplayKey(2, false); }
void TFrmMain::LCDMainRegionClick3() { PressDisplayKey(3, false); }
void TFrmMain::LCDMainRegionClick4() { PressDisplayKey(4, false); }
void TFrmMain::LCDMainRegionShiftClick1() { PressDisplayKey(1, true); }
void TFrmMain::LCDMainRegionShiftClick2() { PressDisplayKey(2, true); }
void TFrmMain::LCDMainRegionShiftClick3() { PressDisplayKey(3, true); }
void TFrmMain::LCDMainRegionShiftClick4() { PressDisplayKey(4, true); }

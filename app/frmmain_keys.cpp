// Keyboard ways to what otherwise needs the mouse: the four front-panel keys
// of the live display and the main pages.

#include "app/frmmain.h"

#include "display/u7400led.h"

#include <QShortcut>
#include <QTabWidget>

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

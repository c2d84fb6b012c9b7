#include "calibration/numberentry.h"

#include "settings/editorentry.h"
#include "settings/tools.h"

#include <QKeyEvent>
#include <QLineEdit>

bool NumberFieldKeyPress(QLineEdit &edit, const QKeyEvent &event, int decimals)
{
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
        edit.setText(FixDecimals(edit.text(), decimals));
        return true;
    }
    for (const QChar key : event.text())
        if (!IsNumberKeyAccepted(key))
            return true;
    return false;
}

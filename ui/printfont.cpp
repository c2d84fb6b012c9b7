#include "ui/printfont.h"

#include <QFontDatabase>
#include <QFontInfo>

QFont ReportFont()
{
    QFont font(QStringLiteral("Courier New"), 9, QFont::Normal, false);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (QFontInfo(font).fixedPitch())
        return font;
    QFont fallback = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fallback.setPointSize(9);
    fallback.setWeight(QFont::Normal);
    fallback.setItalic(false);
    return fallback;
}

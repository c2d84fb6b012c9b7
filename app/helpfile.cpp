#include "app/helpfile.h"

#include "ui/prompts.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

bool THelpFile::OpenWithDesktop(const QUrl &url) { return QDesktopServices::openUrl(url); }

THelpFile::THelpFile(QString path, TUrlOpener opener) : FilePath(std::move(path)), Opener(std::move(opener)) {}

QUrl THelpFile::UrlAt(const QString &anchor) const
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(FilePath).absoluteFilePath());
    url.setFragment(anchor);
    return url;
}

bool THelpFile::Show(const QString &anchor) const
{
    const QFileInfo info(FilePath);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.isFile()) {
        Prompts().Message(QStringLiteral("The help file %1 was not found.").arg(shown), TPrompts::Kind::Warning);
        return false;
    }
    if (!info.isReadable()) {
        Prompts().Message(QStringLiteral("The help file %1 cannot be read.").arg(shown), TPrompts::Kind::Warning);
        return false;
    }
    if (!Opener || !Opener(UrlAt(anchor))) {
        Prompts().Message(QStringLiteral("The help file %1 could not be opened: no program to show it was found.")
                              .arg(shown),
                          TPrompts::Kind::Warning);
        return false;
    }
    return true;
}

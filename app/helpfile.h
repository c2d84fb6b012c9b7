#pragma once
// The help pages: one HTML file beside the program, opened in the desktop's
// browser at a named anchor ("contents" or "index"). The opener is a seam so
// tests can see what would be opened without starting a browser.

#include <QString>
#include <QUrl>
#include <functional>

class THelpFile {
public:
    using TUrlOpener = std::function<bool(const QUrl &url)>;

    // The desktop's own handler for file URLs.
    static bool OpenWithDesktop(const QUrl &url);

    explicit THelpFile(QString path, TUrlOpener opener = &THelpFile::OpenWithDesktop);

    // Opens the file at the anchor. A missing or unreadable file, or a
    // desktop that cannot show it, is told to the user; returns success.
    bool Show(const QString &anchor) const;

    const QString &Path() const { return FilePath; }
    QUrl UrlAt(const QString &anchor) const;

private:
    QString FilePath;
    TUrlOpener Opener;
};

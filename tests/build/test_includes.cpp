// Every source file includes the Qt headers of the classes it uses, directly
// or through the headers it includes. The build's precompiled header brings
// all of Qt Widgets into every file, and unity builds let a file see what the
// files before it included: a missing include goes unnoticed there and breaks
// every build without them (another compiler, -DQV_PCH=OFF, the fuzz build).
// This follows the includes as the preprocessor would (conditions aside) and
// needs no compiler.

#include "support/testmain.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <utility>

// A namespace of its own: the folder's test files are compiled together.
namespace test_includes {

namespace {

const QStringList SourceFolders = {"app", "cli", "calibration", "logging", "history", "verification", "settings",
                                   "display", "terminal", "link", "ui", "sim", "bench", "fuzz", "packaging", "tests"};
const QStringList QtModules = {"QtCore", "QtGui", "QtWidgets", "QtPrintSupport", "QtSerialPort", "QtSql", "QtTest"};

// The text without comments, string and character literals.
QString CodeOnly(const QString &text)
{
    // A line comment, a block comment, a string, a character.
    static const QRegularExpression noise(
        QStringLiteral("//[^\\n]*|/\\*.*?\\*/|\"(?:\\\\.|[^\"\\\\\\n])*\"|'(?:\\\\.|[^'\\\\\\n])*'"),
        QRegularExpression::DotMatchesEverythingOption);
    QString code = text;
    return code.replace(noise, QStringLiteral(" "));
}

// Qt classes a file declares without defining them: "class QLabel;" and
// Qt's own QT_FORWARD_DECLARE_CLASS(QLabel).
QSet<QString> Declarations(const QString &code)
{
    static const QRegularExpression forward(
        QStringLiteral("\\bclass\\s+(Q[A-Z][A-Za-z0-9]*)\\s*;|QT_FORWARD_DECLARE_CLASS\\((Q[A-Z][A-Za-z0-9]*)\\)"));
    QSet<QString> declared;
    for (auto it = forward.globalMatch(code); it.hasNext();) {
        const auto match = it.next();
        declared.insert(match.captured(1).isEmpty() ? match.captured(2) : match.captured(1));
    }
    return declared;
}

// The Qt classes a file names (declarations aside), each with whether a
// declaration is enough: every use is a pointer, a reference or a smart
// pointer's argument.
QHash<QString, bool> ClassesUsed(const QString &code)
{
    static const QRegularExpression forward(QStringLiteral("\\bclass\\s+Q[A-Z][A-Za-z0-9]*\\s*;"));
    static const QRegularExpression name(QStringLiteral("\\bQ[A-Z][A-Za-z0-9]*\\b(\\s*[*&>])?"));
    QString withoutDeclarations = code;
    withoutDeclarations.replace(forward, QStringLiteral(" "));
    QHash<QString, bool> used;
    for (auto it = name.globalMatch(withoutDeclarations); it.hasNext();) {
        const auto match = it.next();
        const QString cls = match.captured(0).section(QRegularExpression(QStringLiteral("[\\s*&>]")), 0, 0);
        const bool byName = !match.captured(1).isEmpty();
        used[cls] = used.value(cls, true) && byName;
    }
    return used;
}

// Pointers to Qt classes that headers declare by name ("QLabel *StatusNote;"),
// for the names that stand for one class only: a file that reaches through
// such a member ("w.StatusNote->text()") needs the class defined, though it
// never names it. The window's controls are the usual case.
QHash<QString, QString> PointerMembers(const QStringList &headers)
{
    static const QRegularExpression member(
        QStringLiteral("\\b(Q[A-Z][A-Za-z0-9]*)\\s*\\*\\s*(?:const\\s+)?([A-Za-z_][A-Za-z0-9_]*)\\s*(?:=[^;]*)?;"));
    QHash<QString, QSet<QString>> classes;
    for (const QString &header : headers) {
        QFile in(header);
        if (!in.open(QIODevice::ReadOnly))
            continue;
        const QString code = CodeOnly(QString::fromLatin1(in.readAll()));
        for (auto it = member.globalMatch(code); it.hasNext();) {
            const auto match = it.next();
            classes[match.captured(2)].insert(match.captured(1));
        }
    }
    QHash<QString, QString> members;
    for (auto it = classes.cbegin(); it != classes.cend(); ++it)
        if (it.value().size() == 1)
            members.insert(it.key(), *it.value().cbegin());
    return members;
}

// The names a file reaches through with "->".
QSet<QString> Dereferenced(const QString &code)
{
    static const QRegularExpression arrow(QStringLiteral("\\b([A-Za-z_][A-Za-z0-9_]*)\\s*->"));
    QSet<QString> names;
    for (auto it = arrow.globalMatch(code); it.hasNext();)
        names.insert(it.next().captured(1));
    return names;
}

class TIncludeGraph {
public:
    TIncludeGraph(QString sourceRoot, QString qtRoot) : SourceRoot(std::move(sourceRoot)), QtRoot(std::move(qtRoot)) {}

    // The file that defines a Qt class: what its convenience header (such
    // as QtWidgets/QLabel) includes. Empty for a name that is no Qt class.
    QString DefiningFile(const QString &name)
    {
        if (const auto found = Defining.constFind(name); found != Defining.constEnd())
            return *found;
        QString file;
        for (const QString &module : QtModules) {
            const QString convenience = QtRoot + '/' + module + '/' + name;
            if (!QFile::exists(convenience))
                continue;
            const QStringList included = Includes(convenience);
            file = included.isEmpty() ? QString() : included.first();
            break;
        }
        Defining.insert(name, file);
        return file;
    }

    // Every file a file includes, followed through project and Qt headers.
    const QSet<QString> &Closure(const QString &file)
    {
        if (const auto found = Closures.constFind(file); found != Closures.constEnd())
            return *found;
        QSet<QString> closure;
        QStringList pending = {file};
        while (!pending.isEmpty()) {
            const QString next = pending.takeLast();
            for (const QString &included : Includes(next))
                if (!closure.contains(included)) {
                    closure.insert(included);
                    pending << included;
                }
        }
        return *Closures.insert(file, closure);
    }

    // Whether the file or one it includes declares the class.
    bool Declares(const QString &file, const QString &name)
    {
        if (DeclaredIn(file).contains(name))
            return true;
        for (const QString &included : Closure(file))
            if (DeclaredIn(included).contains(name))
                return true;
        return false;
    }

    // The files a file includes directly, resolved to paths; system headers
    // other than Qt's (the standard library) are left out.
    QStringList Includes(const QString &file)
    {
        if (const auto found = Direct.constFind(file); found != Direct.constEnd())
            return *found;
        static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s*([<\"])([^>\"]+)[>\"]"),
                                                QRegularExpression::MultilineOption);
        QStringList resolved;
        QFile in(file);
        if (in.open(QIODevice::ReadOnly)) {
            const QString text = QString::fromLatin1(in.readAll());
            for (auto it = include.globalMatch(text); it.hasNext();) {
                const auto match = it.next();
                const QString path = Resolve(file, match.captured(2), match.captured(1) == QLatin1String("\""));
                if (!path.isEmpty())
                    resolved << path;
            }
        }
        Direct.insert(file, resolved);
        return resolved;
    }

private:
    const QSet<QString> &DeclaredIn(const QString &file)
    {
        if (const auto found = Declared.constFind(file); found != Declared.constEnd())
            return *found;
        QFile in(file);
        QSet<QString> declared;
        if (in.open(QIODevice::ReadOnly))
            declared = Declarations(CodeOnly(QString::fromLatin1(in.readAll())));
        return *Declared.insert(file, declared);
    }

    QString Resolve(const QString &from, const QString &name, bool quoted)
    {
        QStringList candidates;
        if (quoted)
            candidates << QFileInfo(from).absolutePath() + '/' + name << SourceRoot + '/' + name
                       << SourceRoot + "/tests/" + name;
        candidates << QtRoot + '/' + name;
        for (const QString &module : QtModules)
            candidates << QtRoot + '/' + module + '/' + name;
        if (name == QLatin1String("qcustomplot.h"))
            candidates << QStringLiteral("/usr/include/") + name;
        for (const QString &candidate : candidates)
            if (QFileInfo(candidate).isFile())
                return QFileInfo(candidate).canonicalFilePath();
        return {};
    }

    QString SourceRoot, QtRoot;
    QHash<QString, QString> Defining;
    QHash<QString, QSet<QString>> Closures;
    QHash<QString, QStringList> Direct;
    QHash<QString, QSet<QString>> Declared;
};

} // namespace

class TestIncludes : public QObject {
    Q_OBJECT
private slots:
    void everyFileIncludesTheQtClassesItUses()
    {
        const QString root = QStringLiteral(QV_SOURCE_DIR);
        TIncludeGraph graph(root, QStringLiteral(QV_QT_INCLUDE_DIR));
        QStringList sources, headers;
        for (const QString &folder : SourceFolders) {
            QDirIterator it(root + '/' + folder, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString file = QFileInfo(it.next()).canonicalFilePath();
                sources << file;
                if (file.endsWith(QLatin1String(".h")))
                    headers << file;
            }
        }
        const QHash<QString, QString> members = PointerMembers(headers);
        QStringList missing;
        int files = 0;
        for (const QString &file : std::as_const(sources)) {
            QFile in(file);
            QVERIFY(in.open(QIODevice::ReadOnly));
            ++files;
            const QString code = CodeOnly(QString::fromLatin1(in.readAll()));
            const QSet<QString> &closure = graph.Closure(file);
            QHash<QString, bool> used = ClassesUsed(code);
            // Reaching through a member needs the class itself.
            for (const QString &name : Dereferenced(code))
                if (const auto member = members.constFind(name); member != members.constEnd())
                    used[*member] = false;
            for (auto use = used.cbegin(); use != used.cend(); ++use) {
                const QString defining = graph.DefiningFile(use.key());
                if (defining.isEmpty() || closure.contains(defining))
                    continue;
                // Only pointers and references: a declaration will do.
                if (use.value() && graph.Declares(file, use.key()))
                    continue;
                missing << QStringLiteral("%1: %2").arg(QDir(root).relativeFilePath(file), use.key());
            }
        }
        QVERIFY(files > 100);
        missing.sort();
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("\nincludes missing (add #include <Class>):\n  ")
                                               + missing.join(QStringLiteral("\n  "))));
    }
};

QV_TEST_MAIN(TestIncludes)
} // namespace test_includes
#include "test_includes.moc"

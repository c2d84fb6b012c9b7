#include "link/inifile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <utility>

namespace {
bool SameName(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Line breaks inside a value would split it into lines of their own.
QString OneLine(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

bool IsComment(const QString &trimmed)
{
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}
} // namespace

QByteArray TIniFile::DefaultLineEnd()
{
#ifdef Q_OS_WIN
    return QByteArrayLiteral("\r\n");
#else
    return QByteArrayLiteral("\n");
#endif
}

bool TIniFile::Load()
{
    Content.clear();
    Modified = false;
    // A pipe or a device under the file's name would block or never end.
    const QFileInfo info(Name);
    if (info.exists() && !info.isFile()) {
        Error = QStringLiteral("%1 is not an ordinary file").arg(Name);
        return false;
    }
    QFile file(Name);
    if (!file.open(QIODevice::ReadOnly)) {
        Error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        Error = file.errorString();
        return false;
    }
    Parse(bytes);
    Error.clear();
    return true;
}

bool TIniFile::Save()
{
    QSaveFile file(Name);
    // Unbuffered: a buffered write that fails only at commit (a full disk)
    // is not always reported, and the file would count as saved.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        Error = file.errorString();
        return false;
    }
    const QByteArray bytes = ToBytes();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        Error = file.errorString();
        return false;
    }
    Error.clear();
    Modified = false;
    return true;
}

// Where sections and keys already stand while a file is read, so that a
// large (or garbage) file is read in linear time, not by searching every
// line read so far for each new one.
struct TIniFile::TParseIndex {
    size_t Current = 0;
    QHash<QString, size_t> Sections;              // folded name -> index in Content
    std::vector<QHash<QString, size_t>> Entries;  // per section: folded key -> line
};

void TIniFile::Parse(const QByteArray &bytes)
{
    Content.clear();
    Modified = false;
    QByteArray text = bytes;
    // Byte order marks of an editor that saved as UTF-8: all of them, since
    // a file saved that way twice has two, and a mark left at the start of a
    // line would be dropped by the next load and so change that line.
    while (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    const qsizetype firstBreak = text.indexOf('\n');
    if (firstBreak >= 0)
        LineEnd = firstBreak > 0 && text.at(firstBreak - 1) == '\r' ? QByteArrayLiteral("\r\n")
                                                                     : QByteArrayLiteral("\n");
    else if (text.contains('\r'))
        LineEnd = QByteArrayLiteral("\r");
    // A lone CR (an old editor's line end) breaks a line as well; a value
    // never holds one (WriteString turns line breaks into spaces).
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    const QList<QByteArray> lines = text.split('\n');
    TParseIndex index;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // split() leaves an empty piece after a final line break.
        if (i == lines.size() - 1 && lines.at(i).isEmpty())
            break;
        ParseLine(QString::fromLatin1(lines.at(i)), index);
    }
}

void TIniFile::ParseLine(const QString &line, TParseIndex &index)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char('['))) {
        qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close < 0)
            close = trimmed.size();
        const QString name = trimmed.mid(1, close - 1).trimmed();
        // Lines of a section given twice join the first one.
        const QString folded = name.toCaseFolded();
        if (const auto found = index.Sections.constFind(folded); found != index.Sections.cend()) {
            index.Current = *found;
        } else {
            Content.push_back({name, true, {}});
            index.Current = Content.size() - 1;
            index.Sections.insert(folded, index.Current);
        }
        return;
    }
    if (Content.empty())
        Content.push_back({QString(), false, {}});
    TSection &section = Content[index.Current];
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    if (!section.HasHeader || trimmed.isEmpty() || IsComment(trimmed) || equals <= 0) {
        section.Lines.push_back({false, {}, {}, line});
        return;
    }
    const QString key = trimmed.left(equals).trimmed();
    const QString value = trimmed.mid(equals + 1).trimmed();
    if (index.Entries.size() < Content.size())
        index.Entries.resize(Content.size());
    QHash<QString, size_t> &entries = index.Entries[index.Current];
    const QString folded = key.toCaseFolded();
    if (const auto found = entries.constFind(folded); found != entries.cend()) {
        section.Lines[*found].Value = value; // the last value wins
        return;
    }
    entries.insert(folded, section.Lines.size());
    section.Lines.push_back({true, key, value, {}});
}

QByteArray TIniFile::ToBytes() const
{
    QByteArray bytes;
    for (const TSection &section : Content) {
        if (section.HasHeader)
            bytes += '[' + section.Name.toLatin1() + ']' + LineEnd;
        for (const TLine &line : section.Lines) {
            if (line.IsEntry)
                bytes += line.Key.toLatin1() + '=' + line.Value.toLatin1() + LineEnd;
            else
                bytes += line.Text.toLatin1() + LineEnd;
        }
    }
    return bytes;
}

const TIniFile::TSection *TIniFile::FindSection(const QString &name) const
{
    for (const TSection &section : Content)
        if (section.HasHeader && SameName(section.Name, name))
            return &section;
    return nullptr;
}

TIniFile::TSection *TIniFile::FindSection(const QString &name)
{
    return const_cast<TSection *>(std::as_const(*this).FindSection(name));
}

const TIniFile::TLine *TIniFile::FindEntry(const TSection &section, const QString &key)
{
    for (const TLine &line : section.Lines)
        if (line.IsEntry && SameName(line.Key, key))
            return &line;
    return nullptr;
}

QStringList TIniFile::Sections() const
{
    QStringList names;
    for (const TSection &section : Content)
        if (section.HasHeader)
            names << section.Name;
    return names;
}

QStringList TIniFile::Keys(const QString &section) const
{
    QStringList keys;
    if (const TSection *found = FindSection(section))
        for (const TLine &line : found->Lines)
            if (line.IsEntry)
                keys << line.Key;
    return keys;
}

bool TIniFile::SectionExists(const QString &section) const { return FindSection(section) != nullptr; }

bool TIniFile::ValueExists(const QString &section, const QString &key) const
{
    const TSection *found = FindSection(section);
    return found && FindEntry(*found, key);
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const TSection *found = FindSection(section);
    const TLine *entry = found ? FindEntry(*found, key) : nullptr;
    return entry ? entry->Value : defaultValue;
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    QString text = ReadString(section, key, QString()).trimmed();
    bool ok = false;
    int value = 0;
    if (text.startsWith(QLatin1Char('$')))
        value = text.mid(1).toInt(&ok, 16);
    else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = text.mid(2).toInt(&ok, 16);
    else
        value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}

TIniFile::TSection &TIniFile::SectionForWriting(const QString &name)
{
    if (TSection *found = FindSection(name))
        return *found;
    // Keep a blank line between the previous section and the new one.
    if (!Content.empty()) {
        const auto &lines = Content.back().Lines;
        const bool endsBlank = !lines.empty() && !lines.back().IsEntry && lines.back().Text.trimmed().isEmpty();
        if (!endsBlank && (Content.back().HasHeader || !lines.empty()))
            Content.back().Lines.push_back({false, {}, {}, QString()});
    }
    Content.push_back({name, true, {}});
    return Content.back();
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    const QString stored = OneLine(value).trimmed();
    TSection &target = SectionForWriting(section);
    for (TLine &line : target.Lines) {
        if (line.IsEntry && SameName(line.Key, key)) {
            if (line.Value != stored) {
                line.Value = stored;
                Modified = true;
            }
            return;
        }
    }
    // After the section's last key; in a section without keys, before its
    // trailing blank lines. Either way the blank line and any comments that
    // lead to the next section stay where they are.
    auto at = target.Lines.end();
    const auto lastEntry = std::find_if(target.Lines.rbegin(), target.Lines.rend(),
                                        [](const TLine &l) { return l.IsEntry; });
    if (lastEntry != target.Lines.rend())
        at = lastEntry.base();
    else
        while (at != target.Lines.begin() && (at - 1)->Text.trimmed().isEmpty())
            --at;
    target.Lines.insert(at, {true, key.trimmed(), stored, {}});
    Modified = true;
}

void TIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::DeleteKey(const QString &section, const QString &key)
{
    TSection *found = FindSection(section);
    if (!found)
        return;
    const auto before = found->Lines.size();
    std::erase_if(found->Lines, [&](const TLine &line) { return line.IsEntry && SameName(line.Key, key); });
    Modified = Modified || found->Lines.size() != before;
}

void TIniFile::EraseSection(const QString &section)
{
    const auto before = Content.size();
    std::erase_if(Content, [&](const TSection &s) { return s.HasHeader && SameName(s.Name, section); });
    Modified = Modified || Content.size() != before;
}

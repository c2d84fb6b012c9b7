#include "link/inifile.h"

#include <QFile>
#include <QFileInfo>
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
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // split() leaves an empty piece after a final line break.
        if (i == lines.size() - 1 && lines.at(i).isEmpty())
            break;
        ParseLine(QString::fromLatin1(lines.at(i)));
    }
}

void TIniFile::ParseLine(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char('['))) {
        qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close < 0)
            close = trimmed.size();
        Content.push_back({trimmed.mid(1, close - 1).trimmed(), true, {}, line});
        return;
    }
    if (Content.empty())
        Content.push_back({QString(), false, {}, {}});
    TSection &section = Content.back();
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    if (!section.HasHeader || trimmed.isEmpty() || IsComment(trimmed) || equals <= 0) {
        section.Lines.push_back({false, {}, {}, line});
        return;
    }
    section.Lines.push_back({true, trimmed.left(equals).trimmed(), trimmed.mid(equals + 1).trimmed(), line});
}

QByteArray TIniFile::ToBytes() const
{
    QByteArray bytes;
    for (const TSection &section : Content) {
        if (section.HasHeader)
            bytes += (section.Header.isEmpty() ? '[' + section.Name + ']' : section.Header).toLatin1() + LineEnd;
        for (const TLine &line : section.Lines) {
            if (line.Text.isEmpty() && line.IsEntry)
                bytes += line.Key.toLatin1() + '=' + line.Value.toLatin1() + LineEnd;
            else
                bytes += line.Text.toLatin1() + LineEnd;
        }
    }
    return bytes;
}

TIniFile::TSection *TIniFile::LastSection(const QString &name)
{
    for (auto it = Content.rbegin(); it != Content.rend(); ++it)
        if (it->HasHeader && SameName(it->Name, name))
            return &*it;
    return nullptr;
}

// The line whose value counts: the last one of the key in the section.
const TIniFile::TLine *TIniFile::FindEntry(const QString &section, const QString &key) const
{
    const TLine *found = nullptr;
    for (const TSection &block : Content)
        if (block.HasHeader && SameName(block.Name, section))
            for (const TLine &line : block.Lines)
                if (line.IsEntry && SameName(line.Key, key))
                    found = &line;
    return found;
}

TIniFile::TLine *TIniFile::FindEntry(const QString &section, const QString &key)
{
    return const_cast<TLine *>(std::as_const(*this).FindEntry(section, key));
}

QStringList TIniFile::Sections() const
{
    QStringList names;
    for (const TSection &section : Content)
        if (section.HasHeader && !names.contains(section.Name, Qt::CaseInsensitive))
            names << section.Name;
    return names;
}

QStringList TIniFile::Keys(const QString &section) const
{
    QStringList keys;
    for (const TSection &block : Content)
        if (block.HasHeader && SameName(block.Name, section))
            for (const TLine &line : block.Lines)
                if (line.IsEntry && !keys.contains(line.Key, Qt::CaseInsensitive))
                    keys << line.Key;
    return keys;
}

bool TIniFile::SectionExists(const QString &section) const { return Sections().contains(section, Qt::CaseInsensitive); }

bool TIniFile::ValueExists(const QString &section, const QString &key) const { return FindEntry(section, key); }

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const TLine *entry = FindEntry(section, key);
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
    if (TSection *found = LastSection(name))
        return *found;
    // Keep a blank line between the previous section and the new one.
    if (!Content.empty()) {
        const auto &lines = Content.back().Lines;
        const bool endsBlank = !lines.empty() && !lines.back().IsEntry && lines.back().Text.trimmed().isEmpty();
        if (!endsBlank && (Content.back().HasHeader || !lines.empty()))
            Content.back().Lines.push_back({false, {}, {}, QString()});
    }
    Content.push_back({name, true, {}, {}});
    return Content.back();
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    const QString stored = OneLine(value).trimmed();
    if (TLine *line = FindEntry(section, key)) {
        if (line->Value != stored) {
            line->Value = stored;
            line->Text.clear(); // written afresh
            Modified = true;
        }
        return;
    }
    TSection &target = SectionForWriting(section);
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
    for (TSection &block : Content) {
        if (!block.HasHeader || !SameName(block.Name, section))
            continue;
        const auto before = block.Lines.size();
        std::erase_if(block.Lines, [&](const TLine &line) { return line.IsEntry && SameName(line.Key, key); });
        Modified = Modified || block.Lines.size() != before;
    }
}

void TIniFile::EraseSection(const QString &section)
{
    const auto before = Content.size();
    std::erase_if(Content, [&](const TSection &s) { return s.HasHeader && SameName(s.Name, section); });
    Modified = Modified || Content.size() != before;
}

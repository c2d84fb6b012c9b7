// Fuzz target of the settings intake: whatever a settings file or the
// instrument hands over, the model must only ever hold values its own write
// commands can carry, write lines that cannot smuggle in a command, and read
// its own write commands back unchanged.
#include "fuzz/check.h"
#include "fuzz/settings_invariants.h"
#include "fuzz/targets.h"
#include "settings/database.h"

#include <QString>
#include <QStringList>

namespace {

void CheckWriteLines(const QStringList &lines)
{
    QV_FUZZ_CHECK(lines.size() == 36);
    for (const QString &line : lines) {
        QV_FUZZ_CHECK(!line.contains(u';'));
        const qsizetype quotes = line.count(u'"');
        QV_FUZZ_CHECK(quotes == 0 || (quotes == 2 && line.endsWith(u'"')));
    }
}

} // namespace

int FuzzApplyOne(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    Tdata7410 model;
    model.ApplyLines(text.split(u'\n'));
    CheckSettingsRanges(model);

    QStringList lines;
    model.BuildWriteCommands(lines);
    CheckWriteLines(lines);

    // Its own write commands bring a copy back to exactly the same state.
    Tdata7410 same = model;
    same.ApplyLines(lines);
    QV_FUZZ_CHECK(same == model);

    // And a fresh model to the same state in everything they carry.
    Tdata7410 fresh;
    fresh.ApplyLines(lines);
    fresh.DirectZero = model.DirectZero;
    fresh.DirectSpan = model.DirectSpan;
    fresh.LinPercent = model.LinPercent;
    fresh.LinWeight = model.LinWeight;
    fresh.SerialNumber = model.SerialNumber;
    fresh.Version = model.Version;
    QV_FUZZ_CHECK(fresh == model);
    return 0;
}

#ifdef QV_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzApplyOne(data, size);
}
#endif

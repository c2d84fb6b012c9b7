// Fuzz target of the settings file reader: a file that is refused leaves the
// model exactly as it was; a file that is taken leaves only values the write
// commands can carry, and what is saved from it loads back unchanged.
#include "fuzz/check.h"
#include "fuzz/scratch_file.h"
#include "fuzz/settings_invariants.h"
#include "fuzz/targets.h"
#include "settings/database.h"
#include "settings/settingsfile.h"

#include <QString>

namespace {

// A model that differs from the defaults, so a partial load shows.
Tdata7410 LoadedBefore()
{
    Tdata7410 model;
    model.ApplyLines({QStringLiteral("ADR7"), QStringLiteral("PFT\"before\""),
                      QStringLiteral("LIL2,\"BEFORE\",40")});
    return model;
}

} // namespace

int FuzzSettingsFileOne(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = WriteScratchFile(bytes, QStringLiteral(".qvs"));
    const Tdata7410 before = LoadedBefore();
    Tdata7410 model = before;
    QString error;
    TSettingsLoadResult result;
    if (!LoadSettingsFile(path, model, &error, &result)) {
        QV_FUZZ_CHECK(model == before);
        QV_FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    QV_FUZZ_CHECK(result.SettingsLines >= 1);
    QV_FUZZ_CHECK(result.TooLong >= 0 && result.TooLong <= result.PassedOver);
    CheckSettingsRanges(model);

    const QString copyPath = WriteScratchFile(QByteArray(), QStringLiteral("-copy.qvs"));
    QV_FUZZ_CHECK(SaveSettingsFile(copyPath, model, &error));
    Tdata7410 copy = model;
    QV_FUZZ_CHECK(LoadSettingsFile(copyPath, copy, &error, &result));
    QV_FUZZ_CHECK(copy == model);
    QV_FUZZ_CHECK(result.SettingsLines == SettingsFileLines && result.PassedOver == 0);
    return 0;
}

#ifdef QV_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzSettingsFileOne(data, size);
}
#endif

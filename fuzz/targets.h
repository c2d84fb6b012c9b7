#pragma once
// Entry points of the fuzz targets. libFuzzer calls them through
// LLVMFuzzerTestOneInput (built with -DQV_LIBFUZZER); the regression test of
// the normal build calls them directly on a handful of nasty inputs, so the
// invariants they check run in CI without clang. A broken invariant aborts.

#include <cstddef>
#include <cstdint>

// First byte: bit 0 hex, bit 1 skip prefix. The rest: one Latin-1 text.
int FuzzParseOne(const std::uint8_t *data, std::size_t size);
// Latin-1 text, one settings line per "\n".
int FuzzApplyOne(const std::uint8_t *data, std::size_t size);
// Latin-1 bytes of a calibration file.
int FuzzCalFileOne(const std::uint8_t *data, std::size_t size);
// First byte: the size of the pieces the rest arrives in (0: all at once).
int FuzzReceiveOne(const std::uint8_t *data, std::size_t size);
// First byte: the baud rate; then bytes, 0xFE n marking a pause of 4n ms.
int FuzzWeightLineOne(const std::uint8_t *data, std::size_t size);
// The bytes of a settings file, a log file, an ini file.
int FuzzSettingsFileOne(const std::uint8_t *data, std::size_t size);
int FuzzLogFileOne(const std::uint8_t *data, std::size_t size);
// The bytes of a log file, exported as CSV.
int FuzzLogCsvOne(const std::uint8_t *data, std::size_t size);
int FuzzIniOne(const std::uint8_t *data, std::size_t size);

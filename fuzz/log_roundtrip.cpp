#include "fuzz/log_roundtrip.h"

#include "fuzz/check.h"
#include "link/session.h"
#include "logging/loggingsession.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

TLoggingSession &ScratchLoggingSession()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static const std::unique_ptr<QCoreApplication> app(
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv));
    static TSession link;
    static TLoggingSession logging(link);
    return logging;
}

std::string ReferenceText(double value, int decimals, int keep)
{
    // The longest fixed text of a double: 309 digits, a sign, a point and
    // the decimals.
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    QV_FUZZ_CHECK(ec == std::errc());
    std::string text(buffer, end);
    const size_t point = text.find('.');
    while (point != std::string::npos && text.size() > point + 1 + size_t(keep) && text.back() == '0')
        text.pop_back();
    const bool zero = text.find_first_not_of("-0.") == std::string::npos;
    if (zero && text.front() == '-' && !(value == 0 && std::signbit(value)))
        text.erase(0, 1);
    return text;
}

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameBits(const TLogPoint &a, const TLogPoint &b)
{
    return SameBits(a.key, b.key) && SameBits(a.value, b.value);
}

bool SamePoints(const QVector<TLogPoint> &a, const QVector<TLogPoint> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const TLogPoint &p, const TLogPoint &q) { return SameBits(p, q); });
}

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

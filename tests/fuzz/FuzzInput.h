#pragma once

#include <QLocale>
#include <QString>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

// Fuzz targets: each defines LLVMFuzzerTestOneInput. Built with clang's libFuzzer they fuzz;
// built without it (the ordinary and the sanitizer builds) ReplayMain runs them over their seed
// corpus, so every CI run replays what fuzzing once found.

// A property a user relies on did not hold: report and stop, so the fuzzer keeps the input and
// the replay test fails.
#define FUZZ_CHECK(condition, what)                                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", what, __FILE__, __LINE__);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace id::fuzz {

// How much slower the sanitizers make the same work; time bounds are scaled by it.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr double SanitizerSlowdown = 10;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr double SanitizerSlowdown = 10;
#else
inline constexpr double SanitizerSlowdown = 1;
#endif
#else
inline constexpr double SanitizerSlowdown = 1;
#endif

// The program's number conventions, once per process.
inline void setUp() {
    static const bool done = [] {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        return true;
    }();
    (void)done;
}

// Reads typed values off the fuzzer's bytes; past the end everything reads as zero.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    bool flag() { return byte() & 1; }
    // A whole number in [low, high].
    int integer(int low, int high) {
        const unsigned span = static_cast<unsigned>(high - low) + 1;
        unsigned value = byte();
        value = (value << 8) | byte();
        return low + static_cast<int>(value % span);
    }
    // Mostly the values that break numerical code, otherwise raw bits or a small number.
    double number() {
        static const double special[] = {0.0,
                                         -0.0,
                                         1.0,
                                         -1.0,
                                         0.01,
                                         10.0,
                                         100.0,
                                         1e4,
                                         1e10,
                                         1e15,
                                         1e308,
                                         -1e308,
                                         std::numeric_limits<double>::max(),
                                         std::numeric_limits<double>::min(),
                                         std::numeric_limits<double>::denorm_min(),
                                         -std::numeric_limits<double>::denorm_min(),
                                         std::numeric_limits<double>::infinity(),
                                         -std::numeric_limits<double>::infinity(),
                                         std::numeric_limits<double>::quiet_NaN(),
                                         1e-300,
                                         0.1,
                                         2.5,
                                         20.0};
        const std::uint8_t kind = byte();
        if (kind < 64)
            return special[kind % std::size(special)];
        if (kind < 160)
            return (static_cast<int>(byte()) - 128) + integer(0, 999) / 1000.0;
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= std::uint64_t{byte()} << (8 * i);
        return std::bit_cast<double>(bits);
    }
    // The rest of the bytes as UTF-8 text.
    QString text() {
        const auto* start = reinterpret_cast<const char*>(data_ + pos_);
        const auto length = static_cast<qsizetype>(size_ - std::min(pos_, size_));
        pos_ = size_;
        return QString::fromUtf8(start, length);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// No "nan" or "inf" in a text a user is shown.
inline bool readable(const QString& text) {
    const QString lower = text.toLower();
    return !lower.contains(QStringLiteral("nan")) && !lower.contains(QStringLiteral("inf"));
}

} // namespace id::fuzz

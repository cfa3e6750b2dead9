#include "random_stream.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace tessival {
namespace {

std::uint64_t SplitMix64(std::uint64_t &state)
{
    state += 0x9E3779B97F4A7C15ull;
    std::uint64_t mixed = state;
    mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9ull;
    mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBull;
    return mixed ^ (mixed >> 31);
}

std::uint64_t RotateLeft(std::uint64_t value, int bits)
{
    return (value << bits) | (value >> (64 - bits));
}

// Uniform in (0, 1]: the top 53 bits plus one, so the logarithm stays finite.
double UnitInterval(RandomStream &stream)
{
    return static_cast<double>((NextWord(stream) >> 11) + 1) * 0x1.0p-53;
}

RandomStream LoadTimeStream()
{
    const std::optional<std::uint64_t> seed = ParseSeed(std::getenv("TESSIVAL_SEED"));
    return SeededStream(seed.value_or(DEFAULT_SEED));
}

RandomStream processStream = LoadTimeStream();

}  // namespace

RandomStream SeededStream(std::uint64_t seed)
{
    RandomStream stream{};
    for (std::uint64_t &word : stream.words)
        word = SplitMix64(seed);
    return stream;
}

std::uint64_t NextWord(RandomStream &stream)
{
    std::uint64_t *s = stream.words;
    const std::uint64_t result = RotateLeft(s[1] * 5, 7) * 9;
    const std::uint64_t shifted = s[1] << 17;
    s[2] ^= s[0];
    s[3] ^= s[1];
    s[1] ^= s[2];
    s[0] ^= s[3];
    s[2] ^= shifted;
    s[3] = RotateLeft(s[3], 45);
    return result;
}

NormalPair NextNormalPair(RandomStream &stream)
{
    const double radius = std::sqrt(-2.0 * std::log(UnitInterval(stream)));
    const double angle = 2.0 * std::numbers::pi * UnitInterval(stream);
    return {radius * std::cos(angle), radius * std::sin(angle)};
}

std::optional<std::uint64_t> ParseSeed(const char *text)
{
    if (text == nullptr || *text == '\0')
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char *c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9')
            return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(*c - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

RandomStream &ProcessStream()
{
    return processStream;
}

}  // namespace tessival

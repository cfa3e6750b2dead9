#pragma once

#include <array>

namespace match::game {

// The two engines of a match: A is the first engine on the command line, B the second.
enum class Side { A = 0, B = 1 };

constexpr Side Other(Side side)
{
    return side == Side::A ? Side::B : Side::A;
}
constexpr int Index(Side side)
{
    return side == Side::A ? 0 : 1;
}
constexpr char Letter(Side side)
{
    return side == Side::A ? 'A' : 'B';
}

// Something held once per engine, indexed by Index(side).
template <typename T>
using PerSide = std::array<T, 2>;

}  // namespace match::game

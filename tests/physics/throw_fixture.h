// Positions, shots and checks shared by the physics tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "tessival.h"

inline GameState EmptyState(int shotIndex)
{
    GameState state;
    std::memset(&state, 0, sizeof state);
    state.shotIndex = shotIndex;
    return state;
}

inline void Place(GameState &state, int k, float x, float y)
{
    state.stones[k][0] = x;
    state.stones[k][1] = y;
}

inline ShotVector Draw(float x, float y, int spin)
{
    ShotVector shot{};
    CreateShot(ShotTarget{x, y, static_cast<std::uint8_t>(spin)}, &shot);
    return shot;
}

inline ShotVector Hit(float x, float y, int spin, float power)
{
    ShotVector shot{};
    CreateHitShot(ShotTarget{x, y, static_cast<std::uint8_t>(spin)}, power, &shot);
    return shot;
}

// The state after one throw without error.
inline GameState Played(GameState state, ShotVector shot, int stoneIndex)
{
    Simulation(&state, shot, 0.0f, 0, stoneIndex);
    return state;
}

inline bool Removed(const GameState &state, int k)
{
    return state.stones[k][0] == 0.0f && state.stones[k][1] == 0.0f;
}

inline double DistanceTo(const GameState &state, int k, double x, double y)
{
    return std::hypot(static_cast<double>(state.stones[k][0]) - x, static_cast<double>(state.stones[k][1]) - y);
}

// Every stone finite and either on the sheet or out of play at (0, 0).
inline bool WellFormed(const GameState &state)
{
    for (int k = 0; k < 16; ++k) {
        if (Removed(state, k))
            continue;
        const auto x = static_cast<double>(state.stones[k][0]);
        const auto y = static_cast<double>(state.stones[k][1]);
        if (!(x > 0.145 && x < 4.75 - 0.145 && y > 3.05 - 0.145 && y < 33.227))
            return false;
    }
    return true;
}

inline bool SameBytes(const GameState &a, const GameState &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Distance between two points given as float pairs.
inline double Span(const float *a, const float *b)
{
    return std::hypot(static_cast<double>(a[0]) - static_cast<double>(b[0]),
                      static_cast<double>(a[1]) - static_cast<double>(b[1]));
}

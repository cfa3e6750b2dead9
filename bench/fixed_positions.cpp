#include "fixed_positions.h"

#include <cstdio>

namespace bench {

namespace {

constexpr float CROWDED_STONES[15][2] = {{2.375f, 4.88f}, {2.10f, 5.05f}, {2.70f, 4.70f}, {2.40f, 5.60f},
                                         {1.80f, 4.40f},  {3.00f, 5.20f}, {2.20f, 6.40f}, {2.55f, 7.30f},
                                         {1.50f, 5.90f},  {3.30f, 4.10f}, {2.00f, 3.70f}, {2.90f, 6.10f},
                                         {2.375f, 8.50f}, {1.20f, 4.90f}, {3.60f, 5.50f}};

}  // namespace

GameState CrowdedHouse(int shotIndex)
{
    GameState state{};
    state.shotIndex = shotIndex;
    state.lastEnd = 7;
    for (int stone = 0; stone < 15; ++stone) {
        state.stones[stone][0] = CROWDED_STONES[stone][0];
        state.stones[stone][1] = CROWDED_STONES[stone][1];
    }
    return state;
}

std::string PositionCommands(const GameState &state)
{
    std::string text = "POSITION";
    char number[64];
    for (const auto &stone : state.stones) {
        // %.9g keeps every bit of a float through the text.
        std::snprintf(number, sizeof number, " %.9g %.9g", static_cast<double>(stone[0]),
                      static_cast<double>(stone[1]));
        text += number;
    }
    std::snprintf(number, sizeof number, "\nSETSTATE %d %d %d %d\n", state.shotIndex, state.currentEnd, state.lastEnd,
                  static_cast<int>(state.sideFlag));
    return text + number;
}

}  // namespace bench

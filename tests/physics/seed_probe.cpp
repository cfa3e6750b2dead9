// Prints, in hexadecimal floats, where three thrown stones come to rest with
// random error: the process stream as the library seeded it at load time.
#include <cstdio>
#include <cstring>

#include "tessival.h"

int main()
{
    ShotVector shot{};
    CreateShot(ShotTarget{2.375f, 4.88f, 0}, &shot);
    for (int n = 0; n < 3; ++n) {
        GameState state;
        std::memset(&state, 0, sizeof state);
        Simulation(&state, shot, 0.145f, 0, 15);
        std::printf("%a %a\n", static_cast<double>(state.stones[15][0]), static_cast<double>(state.stones[15][1]));
    }
    return 0;
}

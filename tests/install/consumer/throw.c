/* A C program against the installed library: makes a draw to the tee and
 * throws it without error; exits 0 when the stone comes to rest near it. */
#include <math.h>
#include <stdio.h>
#include <string.h>
#include <tessival.h>

int main(void)
{
    ShotTarget tee = {(float)TESSIVAL_TEE_X, (float)TESSIVAL_TEE_Y, 0};
    ShotVector shot;
    GameState state;
    memset(&state, 0, sizeof state);
    if (!CreateShot(tee, &shot) || !Simulation(&state, shot, 0.0f, 0, -1))
        return 1;
    printf("%.3f %.3f\n", state.stones[0][0], state.stones[0][1]);
    return fabsf(state.stones[0][0] - tee.x) < 0.01f && fabsf(state.stones[0][1] - tee.y) < 0.01f ? 0 : 1;
}

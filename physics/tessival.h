/*
 * tessival.h - the public C interface of the tessival curling physics library.
 *
 * This header is the one definition of the records that cross the interface.
 * Layouts are little-endian with 32-bit signed integers and IEEE 754 single
 * precision floats; sizes and offsets are checked below.
 */
#ifndef TESSIVAL_H
#define TESSIVAL_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  define TESSIVAL_CALL __cdecl
#  if defined(TESSIVAL_BUILDING)
#    define TESSIVAL_API __declspec(dllexport)
#  else
#    define TESSIVAL_API __declspec(dllimport)
#  endif
#else
#  define TESSIVAL_CALL
#  define TESSIVAL_API __attribute__((visibility("default")))
#endif

typedef struct GameState {          /* 184 bytes */
    int32_t shotIndex;              /* 0   */
    int32_t currentEnd;             /* 4   */
    int32_t lastEnd;                /* 8   */
    int32_t endScores[10];          /* 12  */
    uint8_t sideFlag;               /* 52, then 3 filler bytes */
    float   stones[16][2];          /* 56: x, y of stone k at 56 + 8k */
} GameState;

typedef struct ShotTarget { float x, y; uint8_t spin; } ShotTarget;   /* 12 bytes */
typedef struct ShotVector { float vx, vy; uint8_t spin; } ShotVector; /* 12 bytes */

TESSIVAL_API int TESSIVAL_CALL CreateShot(ShotTarget target, ShotVector *shot);
TESSIVAL_API int TESSIVAL_CALL CreateHitShot(ShotTarget target, float power, ShotVector *shot);
TESSIVAL_API int TESSIVAL_CALL Simulation(GameState *state, ShotVector shot, float randomError,
                                          uint32_t seed, int32_t stoneIndex);

/* Simulation that also records the path of the delivered stone: every effect on
 * state and on the random generator is exactly that of Simulation with the same
 * arguments. path receives up to capacity points (x, y), from the release to where
 * the stone came to rest or was removed, evenly spaced in time; *length receives
 * the number written. Not used by engines; match tools draw throws with it. */
TESSIVAL_API int TESSIVAL_CALL SimulationTrace(GameState *state, ShotVector shot, float randomError,
                                               uint32_t seed, int32_t stoneIndex,
                                               float (*path)[2], int32_t capacity, int32_t *length);

/* The same entry points as pointer types, for callers that load the library at run time. */
typedef int (TESSIVAL_CALL *CreateShotFunction)(ShotTarget target, ShotVector *shot);
typedef int (TESSIVAL_CALL *CreateHitShotFunction)(ShotTarget target, float power, ShotVector *shot);
typedef int (TESSIVAL_CALL *SimulationFunction)(GameState *state, ShotVector shot, float randomError,
                                                uint32_t seed, int32_t stoneIndex);

#ifdef __cplusplus
}
#  define TESSIVAL_STATIC_ASSERT static_assert
#else
#  define TESSIVAL_STATIC_ASSERT _Static_assert
#endif

TESSIVAL_STATIC_ASSERT(sizeof(GameState) == 184, "GameState is 184 bytes");
TESSIVAL_STATIC_ASSERT(offsetof(GameState, shotIndex) == 0, "shotIndex at 0");
TESSIVAL_STATIC_ASSERT(offsetof(GameState, currentEnd) == 4, "currentEnd at 4");
TESSIVAL_STATIC_ASSERT(offsetof(GameState, lastEnd) == 8, "lastEnd at 8");
TESSIVAL_STATIC_ASSERT(offsetof(GameState, endScores) == 12, "endScores at 12");
TESSIVAL_STATIC_ASSERT(offsetof(GameState, sideFlag) == 52, "sideFlag at 52");
TESSIVAL_STATIC_ASSERT(offsetof(GameState, stones) == 56, "stones at 56");
TESSIVAL_STATIC_ASSERT(sizeof(ShotTarget) == 12, "ShotTarget is 12 bytes");
TESSIVAL_STATIC_ASSERT(offsetof(ShotTarget, x) == 0, "ShotTarget.x at 0");
TESSIVAL_STATIC_ASSERT(offsetof(ShotTarget, y) == 4, "ShotTarget.y at 4");
TESSIVAL_STATIC_ASSERT(offsetof(ShotTarget, spin) == 8, "ShotTarget.spin at 8");
TESSIVAL_STATIC_ASSERT(sizeof(ShotVector) == 12, "ShotVector is 12 bytes");
TESSIVAL_STATIC_ASSERT(offsetof(ShotVector, vx) == 0, "ShotVector.vx at 0");
TESSIVAL_STATIC_ASSERT(offsetof(ShotVector, vy) == 4, "ShotVector.vy at 4");
TESSIVAL_STATIC_ASSERT(offsetof(ShotVector, spin) == 8, "ShotVector.spin at 8");

#endif /* TESSIVAL_H */

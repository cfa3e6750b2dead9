/*
 * tessival.h - the public C interface of the tessival curling physics library.
 *
 * tessival plays curling throws: it turns target points into launch vectors and
 * plays a vector on a position until every stone rests. It is a shared library
 * (libtessival.so; Tessival.dll on Windows, cdecl) with C linkage, exporting
 * CreateShot, CreateHitShot, Simulation, SimulationTrace,
 * SimulationWithGenerator and SimulationTraceWithGenerator. This header is the
 * one definition of the records that cross the interface. Layouts are
 * little-endian with 32-bit signed integers and IEEE 754 single precision
 * floats; sizes and offsets are checked below. Inside, all arithmetic is double
 * precision; results are rounded to float when written.
 *
 * UNITS AND FRAME
 *   Metres, seconds, m/s. x runs across the sheet, y along it; thrown stones
 *   travel toward smaller y. A ShotVector is a launch velocity (vx, vy) in m/s
 *   at the release with its spin (0 or 1); a ShotTarget a point and a spin.
 *     side lines      x = 0 and x = 4.75                  TESSIVAL_SHEET_WIDTH
 *     tee             (2.375, 4.88), house radius 1.83    TESSIVAL_TEE_X, _TEE_Y, _HOUSE_RADIUS
 *     stone radius    0.145 (every stone is a disc)       TESSIVAL_STONE_RADIUS
 *     back line       y = 3.05                            TESSIVAL_BACK_LINE_Y
 *     hog line        y = 11.28                           TESSIVAL_HOG_LINE_Y
 *     release         (2.375, 33.227): every thrown       TESSIVAL_RELEASE_X, _RELEASE_Y
 *                     stone starts here
 *   These and the numbers the rules below use (TESSIVAL_HOUSE_REACH,
 *   TESSIVAL_STONE_COUNT, TESSIVAL_FREE_GUARD_ZONE_LAST_STONE) are defined
 *   after this comment as double (or int) constants of C and C++.
 *   A stone is on the sheet while its centre lies in 0.145 < x < 4.605 and
 *   2.905 < y < 33.227. A stone at (0, 0) (both coordinates equal to zero) is
 *   out of play: it takes no part in a throw and comes back exactly as given.
 *
 * FREE MOTION
 *   A moving stone slows at 0.08 m/s^2 along its motion and turns with a
 *   constant 0.006 m/s^2 across it: speed u falls linearly, heading turns at
 *   c * 0.006 / u rad/s, k = 0.006 / 0.08 = 0.075. Curl sign c = -1 for spin 0
 *   (clockwise: drifts toward smaller x as it goes down the sheet), c = +1 for
 *   spin 1 (toward greater x). The run has an exact closed form: a stone
 *   launched with velocity V (as x + iy) rests |V| V / (0.08 (2 - i c k)) away.
 *   A draw to the tee needs about 2.13 m/s and curls about 1.06 m; slow stones
 *   turn most. A stone set moving from rest by a contact runs straight (c = 0);
 *   a moving stone keeps its own c after a contact.
 *
 * CONTACTS
 *   Two stones touch when their centres are 0.29 apart. On touching while
 *   closing, the parts of their velocities along the line of centres change as
 *   for equal masses with restitution 0.9 (the striker keeps 5 % of the normal
 *   speed, the struck stone takes 95 %); the parts across it are kept. Contacts
 *   are found as events in time, never missed however fast a stone moves: a gap
 *   within 1e-9 m closing faster than 1e-9 m/s is a contact; contacts at one
 *   instant act one at a time, fastest-closing first. A contact leaves the pair
 *   parting at 1 mm/s at least (momentum kept), so that stones pressed together
 *   bounce apart instead of chattering; only contacts closing slower than
 *   1.1 mm/s feel this. Stones given overlapping stay as given unless struck: a
 *   contact acts only while closing, and stones overlapping by more than 1 mm
 *   (only ever given so) pass through each other until they have come apart
 *   that far.
 *
 * RULES OF A THROW (Simulation)
 *   1. The delivered stone is stones[stoneIndex], or stones[shotIndex] when
 *      stoneIndex is -1. Whatever its slot held is replaced by the thrown stone.
 *   2. Before the throw, every other stone not at (0, 0) that has a non-finite
 *      coordinate or is not on the sheet is removed (set to (0, 0)).
 *   3. The delivered stone starts at the release with the vector (after random
 *      error, below); the others start at rest where they lie.
 *   4. A stone is removed the moment it leaves the sheet: its centre comes
 *      within 0.145 of a side line, the whole stone passes the back line
 *      (y <= 2.905), or it goes back up the sheet to the release's y. A stone
 *      within 1e-9 m of such a limit and moving toward it counts as there.
 *   5. Hog line: when all rest, the delivered stone is removed if it is not
 *      wholly past the hog line (y >= 11.135), unless it took part in a
 *      contact during the throw.
 *   6. Free guard zone: while the delivered stone's index is 4 or less, if a
 *      stone of the other side (index of the other parity) that lay in the free
 *      guard zone before the throw has been removed, the position before the
 *      throw (after step 2) is restored and the delivered stone alone is
 *      removed. The zone: 4.88 < y < 11.28 and more than 1.975 from the tee
 *      (no part of the stone over the house). Applied after the hog line.
 *   7. shotIndex becomes the delivered index + 1. Stones never set moving keep
 *      their exact bits; moved stones are rounded to float, and where rounding
 *      alone would put one off the sheet it is moved one unit in the last place
 *      inward. Every other field of the state is left as it was.
 *   Every throw ends in bounded time: after 20000 events, stones still moving
 *   are stopped where they are (no ordinary throw comes near this).
 *
 * RANDOM ERROR
 *   randomError = sigma, in metres, is the thrower's accuracy. The resting
 *   point of the unobstructed run of the given vector is moved by
 *   (sigma n1, sigma n2), n1 and n2 independent standard normal draws, and the
 *   stone is launched with the vector whose unobstructed run rests at the moved
 *   point (same spin). sigma <= 0, NaN or -infinity: no error, and no draw is
 *   taken. The draws come from one generator per process: xoshiro256**,
 *   seeded by expanding a 64-bit seed with SplitMix64, normals by Box-Muller
 *   from two 53-bit uniforms (two generator outputs per throw). At load the
 *   seed is 2026, or the value of the environment variable TESSIVAL_SEED when
 *   it is a decimal unsigned 64-bit integer (digits only; anything else is
 *   ignored). A non-zero `seed` argument reseeds the generator before the
 *   throw, exactly as TESSIVAL_SEED with the same value would at load, so a
 *   recorded game can be replayed; 0 continues the stream. Calls that return
 *   0 leave the generator untouched. The generator is not locked: call
 *   Simulation and SimulationTrace from one thread at a time.
 *   SimulationWithGenerator and SimulationTraceWithGenerator draw from a
 *   generator the caller owns instead (a TessivalGenerator: the four state
 *   words of xoshiro256**) and never touch the process's: calls on distinct
 *   states, generators and traces may run in any threads at once. CreateShot
 *   and CreateHitShot are reentrant.
 *
 * DETERMINISM
 *   The same arguments and generator state give bit-identical results on the
 *   same build. CreateShot and CreateHitShot depend on their arguments only.
 *
 * RESULTS
 *   Every call returns 1 when it did its work and 0 when an argument was
 *   unusable; on 0 nothing at all is written. Unusable: a null pointer; a
 *   non-finite target, power or launch value; a spin other than 0 or 1; a
 *   negative power; a randomError of +infinity; a target at or behind the
 *   release (y >= 33.227); a delivered stone index outside 0..15 (stoneIndex
 *   other than -1 or 0..15, or -1 with shotIndex outside 0..15). A state
 *   whose stones hold NaN, infinities, huge or off-sheet values, or overlap,
 *   is usable (rule 2); the result always has finite coordinates, each stone
 *   on the sheet or at (0, 0).
 */
#ifndef TESSIVAL_H
#define TESSIVAL_H

#include <stddef.h>
#include <stdint.h>

/* The sheet, in metres (UNITS AND FRAME). */
#define TESSIVAL_SHEET_WIDTH 4.75
#define TESSIVAL_TEE_X 2.375
#define TESSIVAL_TEE_Y 4.88
#define TESSIVAL_HOUSE_RADIUS 1.83
#define TESSIVAL_STONE_RADIUS 0.145
#define TESSIVAL_BACK_LINE_Y 3.05
#define TESSIVAL_HOG_LINE_Y 11.28
#define TESSIVAL_RELEASE_X 2.375
#define TESSIVAL_RELEASE_Y 33.227
/* No part of a stone farther than this from the tee is over the house:
 * TESSIVAL_HOUSE_RADIUS + TESSIVAL_STONE_RADIUS. */
#define TESSIVAL_HOUSE_REACH 1.975
/* Stones of an end, both sides: GameState.stones, indices 0 to 15. */
#define TESSIVAL_STONE_COUNT 16
/* Rule 6 protects guards while the delivered stone's index is at most this. */
#define TESSIVAL_FREE_GUARD_ZONE_LAST_STONE 4

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define TESSIVAL_CALL __cdecl
#if defined(TESSIVAL_BUILDING)
#define TESSIVAL_API __declspec(dllexport)
#else
#define TESSIVAL_API __declspec(dllimport)
#endif
#else
#define TESSIVAL_CALL
#define TESSIVAL_API __attribute__((visibility("default")))
#endif

typedef struct GameState { /* 184 bytes */
    int32_t shotIndex;     /* 0   */
    int32_t currentEnd;    /* 4   */
    int32_t lastEnd;       /* 8   */
    int32_t endScores[10]; /* 12  */
    uint8_t sideFlag;      /* 52, then 3 filler bytes */
    float stones[16][2];   /* 56: x, y of stone k at 56 + 8k */
} GameState;

typedef struct ShotTarget {
    float x, y;
    uint8_t spin;
} ShotTarget; /* 12 bytes */
typedef struct TessivalGenerator {
    uint64_t words[4];
} TessivalGenerator; /* 32 bytes */
typedef struct ShotVector {
    float vx, vy;
    uint8_t spin;
} ShotVector; /* 12 bytes */

/* A draw: fills *shot (all 12 bytes, filler zeroed) with the launch vector (vx, vy
 * in m/s, from the release) whose unobstructed run comes to rest exactly at
 * (target.x, target.y) with target.spin; shot->spin = target.spin. Any finite x
 * is accepted; y must lie below the release. */
TESSIVAL_API int TESSIVAL_CALL CreateShot(ShotTarget target, ShotVector *shot);

/* A hit: the vector whose unobstructed run passes through (target.x, target.y)
 * still moving at sqrt(2 * 0.08 * power) m/s, so that a free stone would run
 * `power` more metres of path from there. Power 0 gives exactly CreateShot's
 * vector; engines use 12 (about 1.39 m/s at the target). */
TESSIVAL_API int TESSIVAL_CALL CreateHitShot(ShotTarget target, float power, ShotVector *shot);

/* Plays `shot` on *state by the rules above and leaves the position after the
 * throw in it. randomError and seed as under RANDOM ERROR; stoneIndex names the
 * delivered stone, -1 for stones[shotIndex]. Engines pass 0 and -1. */
TESSIVAL_API int TESSIVAL_CALL Simulation(GameState *state, ShotVector shot, float randomError, uint32_t seed,
                                          int32_t stoneIndex);

/* Simulation that also records the path of the delivered stone: every effect on
 * state and on the random generator is exactly that of Simulation with the same
 * arguments (the same code plays both). path receives exactly capacity points
 * (x, y) at times T j / (capacity - 1), j = 0 .. capacity - 1, from the release
 * (j = 0) to T, the moment the stone came to rest or was removed (the last point
 * is then where it left the sheet); *length receives the number written. A stone
 * stopped and struck again shows its rest in between. Beyond Simulation's, a null
 * path or length or a capacity below 2 is unusable: 0, nothing written. Not used
 * by engines; match tools draw and play throws with it. */
TESSIVAL_API int TESSIVAL_CALL SimulationTrace(GameState *state, ShotVector shot, float randomError, uint32_t seed,
                                               int32_t stoneIndex, float (*path)[2], int32_t capacity, int32_t *length);

/* Simulation drawing its random error from *generator instead of the process's
 * generator, which it leaves alone: a non-zero seed first sets *generator exactly
 * as Simulation reseeds the process's with that seed, 0 continues from *generator
 * as it is, and *generator receives the generator after the throw. Given the same
 * generator state, the position and generator that come out are those of
 * Simulation with the process's generator in that state. A null generator is
 * unusable; on 0 nothing is written, *generator included. Reentrant (see RANDOM
 * ERROR): for engines that throw in several threads. */
TESSIVAL_API int TESSIVAL_CALL SimulationWithGenerator(GameState *state, ShotVector shot, float randomError,
                                                       uint32_t seed, TessivalGenerator *generator, int32_t stoneIndex);

/* One contact of a traced throw. */
typedef struct TessivalContact {
    float time;            /* s after the release */
    int32_t first, second; /* the stones that touched, first < second */
} TessivalContact;         /* 12 bytes */

/* How one stone moved in a traced throw. */
typedef struct TessivalStonePath {
    float startTime;   /* s after the release when it was first set moving */
    float endTime;     /* when it came to rest for the last time, or left the sheet */
    int32_t length;    /* points written for it: 0 for a stone never set moving, else capacity */
    int32_t leftSheet; /* 1 when it left the sheet during the throw (rule 4), else 0 */
} TessivalStonePath;   /* 16 bytes */

/* The caller's buffers for a traced throw and what the call reports in them. */
typedef struct TessivalTrace {
    int32_t capacity;             /* in: points per stone path, at least 2 */
    int32_t contactCapacity;      /* in: room in contacts, 0 or more */
    float (*points)[2];           /* in: room for 16 * capacity points; stone k's from points + k * capacity */
    TessivalContact *contacts;    /* in: room for contactCapacity contacts (may be null when that is 0) */
    TessivalStonePath stones[16]; /* out */
    int32_t contactCount;         /* out: every contact of the throw; the first contactCapacity are written */
} TessivalTrace;

/* SimulationWithGenerator that also records how every stone moved: state and
 * *generator come out exactly as from SimulationWithGenerator with the same
 * arguments (the same code plays both). Stone k set moving during the throw
 * gets capacity points (x, y) at times startTime + (endTime - startTime) j /
 * (capacity - 1), j = 0 .. capacity - 1, from where it lay (the release for the
 * delivered stone, whose startTime is 0) to where it came to rest for the last
 * time or left the sheet; a stone stopped and struck again shows its rest in
 * between. The delivered stone's path is exactly SimulationTrace's with the
 * process's generator in the same state. Stones never set moving get length 0
 * and their points are left alone. The contacts are in the order they acted,
 * which is time order; contactCount counts them all, the first contactCapacity
 * are written. Removals after all rest (rules 5 and 6) are not part of the
 * paths: the state shows them. Beyond SimulationWithGenerator's, a null trace,
 * a capacity below 2, null points, a contactCapacity below 0, or null contacts
 * with a contactCapacity above 0 is unusable: 0, nothing written, *trace and
 * *generator included; out of memory inside gives 0 the same way. Reentrant:
 * no buffer but the caller's is written. */
TESSIVAL_API int TESSIVAL_CALL SimulationTraceWithGenerator(GameState *state, ShotVector shot, float randomError,
                                                            uint32_t seed, TessivalGenerator *generator,
                                                            int32_t stoneIndex, TessivalTrace *trace);

/* The same entry points as pointer types, for callers that load the library at run time. */
typedef int(TESSIVAL_CALL *CreateShotFunction)(ShotTarget target, ShotVector *shot);
typedef int(TESSIVAL_CALL *CreateHitShotFunction)(ShotTarget target, float power, ShotVector *shot);
typedef int(TESSIVAL_CALL *SimulationFunction)(GameState *state, ShotVector shot, float randomError, uint32_t seed,
                                               int32_t stoneIndex);

#ifdef __cplusplus
}
#define TESSIVAL_STATIC_ASSERT static_assert
#else
#define TESSIVAL_STATIC_ASSERT _Static_assert
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
TESSIVAL_STATIC_ASSERT(sizeof(TessivalGenerator) == 32, "TessivalGenerator is 32 bytes");
TESSIVAL_STATIC_ASSERT(sizeof(ShotVector) == 12, "ShotVector is 12 bytes");
TESSIVAL_STATIC_ASSERT(offsetof(ShotVector, vx) == 0, "ShotVector.vx at 0");
TESSIVAL_STATIC_ASSERT(offsetof(ShotVector, vy) == 4, "ShotVector.vy at 4");
TESSIVAL_STATIC_ASSERT(offsetof(ShotVector, spin) == 8, "ShotVector.spin at 8");
TESSIVAL_STATIC_ASSERT(sizeof(TessivalContact) == 12, "TessivalContact is 12 bytes");
TESSIVAL_STATIC_ASSERT(sizeof(TessivalStonePath) == 16, "TessivalStonePath is 16 bytes");
TESSIVAL_STATIC_ASSERT(offsetof(TessivalTrace, points) == 8, "TessivalTrace.points at 8");
TESSIVAL_STATIC_ASSERT(offsetof(TessivalTrace, stones) == 8 + 2 * sizeof(void *),
                       "TessivalTrace.stones after the two pointers");

#endif /* TESSIVAL_H */

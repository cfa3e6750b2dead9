// The stones of one throw and the event loop that moves them until all rest.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "free_motion.h"
#include "tessival.h"

namespace tessival {

inline constexpr int STONE_COUNT = TESSIVAL_STONE_COUNT;

struct SheetStone {
    FreeRun run;
    Kinematics now;  // at nowTime
    double nowTime;
    double pathLeft;  // path still to run at nowTime: now.speed^2 / (2 DECELERATION)
    bool inPlay;
    bool moving;     // may lag behind a stop that happened before the sheet's time
    bool disturbed;  // set moving at some point of the throw
};

// How one stone moved in a throw: its runs, empty for a stone never set moving.
struct StoneRuns {
    std::vector<FreeRun> runs;  // in order of start time
    double endTime = 0.0;       // when it came to rest for the last time or was removed
    bool removed = false;       // left the sheet during the play
};

struct ContactEvent {
    double time;
    int first;  // the lower index of the pair
    int second;
};

// What a traced throw records of its play.
struct ThrowTrace {
    std::array<StoneRuns, STONE_COUNT> stones;
    std::vector<ContactEvent> contacts;  // in the order they acted, so in time order
};

struct Sheet {
    std::array<SheetStone, STONE_COUNT> stones{};
    int delivered = 0;
    bool deliveredTouched = false;
    double time = 0.0;
    // Bit k set while stones[k].moving, kept by the event loop so that its
    // scans visit the moving stones only.
    std::uint32_t movingMask = 0;
    ThrowTrace *trace = nullptr;  // recorded only when set; never read by the play
    // Before these times a pair cannot touch and a stone cannot leave the sheet.
    double pairSafeUntil[STONE_COUNT][STONE_COUNT];
    double leaveSafeUntil[STONE_COUNT];
    // The earliest of each stone's times above, recomputed when marked stale.
    double stoneDue[STONE_COUNT];
    bool stoneDueStale[STONE_COUNT];
};

void PlaceAtRest(SheetStone &stone, Complex position);
void Launch(Sheet &sheet, int index, Complex position, Complex velocity, int curl);

// Moves the stones, resolving every contact and removing stones that leave the
// sheet, until all are at rest. Runs in bounded time for any input.
void PlayUntilRest(Sheet &sheet);

// True while the centre lies where the whole stone is on the sheet.
bool OnSheet(Complex position);

}  // namespace tessival

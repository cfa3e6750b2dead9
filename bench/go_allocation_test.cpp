// The engine's GO path takes nothing from the heap: malloc and its kin are
// replaced by counting versions around the C library's, and ChooseShot runs
// against the real physics library while they count.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>

#include "fixed_positions.h"
#include "game_state.h"
#include "platform.h"
#include "shot_selection.h"
#include "simulator.h"

extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void *__libc_memalign(size_t alignment, size_t size);
void __libc_free(void *block);
}

namespace {

bool counting = false;
long allocations = 0;

void Count()
{
    if (counting) {
        ++allocations;
    }
}

}  // namespace

// Every allocation of the process, the physics library's and operator new's
// included, passes through these.
extern "C" {
void *malloc(size_t size)
{
    Count();
    return __libc_malloc(size);
}
void *calloc(size_t count, size_t size)
{
    Count();
    return __libc_calloc(count, size);
}
void *realloc(void *block, size_t size)
{
    Count();
    return __libc_realloc(block, size);
}
void *memalign(size_t alignment, size_t size)
{
    Count();
    return __libc_memalign(alignment, size);
}
void *aligned_alloc(size_t alignment, size_t size)
{
    Count();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void **block, size_t alignment, size_t size)
{
    Count();
    *block = __libc_memalign(alignment, size);
    return *block != nullptr ? 0 : ENOMEM;
}
void free(void *block)
{
    __libc_free(block);
}
}

namespace {

// Allocations made while body runs.
template <typename Body>
long AllocationsDuring(Body body)
{
    allocations = 0;
    counting = true;
    body();
    counting = false;
    return allocations;
}

class GoAllocation : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(LoadSimulator()); }
};

TEST_F(GoAllocation, CountsAnAllocation)
{
    int *volatile block = nullptr;
    EXPECT_EQ(AllocationsDuring([&] { block = new int(1); }), 1);
    delete block;
    EXPECT_EQ(AllocationsDuring([&] { free(malloc(16)); }), 1);
}

// The library's own allocations are seen too: the recorded path of a traced
// throw lives on the heap.
TEST_F(GoAllocation, SeesTheLibrarysAllocations)
{
    using TraceFunction = decltype(&SimulationTrace);
    const auto trace =
        reinterpret_cast<TraceFunction>(FindLibraryFunction(OpenLibrary(PHYSICS_LIBRARY_FILE), "SimulationTrace"));
    ASSERT_NE(trace, nullptr);
    GameState state = bench::CrowdedHouse(15);
    float path[8][2];
    int32_t length = 0;
    const long made = AllocationsDuring([&] {
        trace(&state, ShotVector{0.0f, -2.2f, 1}, 0.0f, 1, -1, path, 8, &length);
    });
    EXPECT_GT(made, 0);
}

TEST_F(GoAllocation, ChooseShotAllocatesNothingAtAnyShot)
{
    for (int shot = 0; shot < 16; ++shot) {
        gameState = bench::CrowdedHouse(shot);
        EXPECT_EQ(AllocationsDuring([] { ChooseShot(); }), 0) << "shot " << shot;
    }
    gameState = GameState{};
    gameState.shotIndex = 15;
    EXPECT_EQ(AllocationsDuring([] { ChooseShot(); }), 0) << "empty sheet, last stone";
}

TEST_F(GoAllocation, LibraryCallsAllocateNothing)
{
    const long made = AllocationsDuring([] {
        GameState state = bench::CrowdedHouse(15);
        ShotVector shot{};
        simulator.createHitShot(ShotTarget{2.375f, 4.88f, 1}, 12.0f, &shot);
        simulator.simulation(&state, shot, 0.145f, 0, -1);
        simulator.createShot(ShotTarget{2.1f, 5.3f, 0}, &shot);
        simulator.simulation(&state, shot, 0.0f, 7, 3);
    });
    EXPECT_EQ(made, 0);
}

}  // namespace

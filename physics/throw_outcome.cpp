#include "throw_outcome.h"

#include <cmath>
#include <cstring>

#include "free_guard_zone.h"
#include "in_play.h"
#include "sheet_constants.h"

namespace tessival {
namespace {

Complex ToComplex(const float position[2])
{
    return {static_cast<double>(position[0]), static_cast<double>(position[1])};
}

void SetRemoved(float position[2])
{
    position[0] = 0.0f;
    position[1] = 0.0f;
}

// Rounds a resting place to floats, moving a coordinate by one unit in the last
// place where rounding alone would put the stone off the sheet.
void StoreOnSheet(Complex position, float stored[2])
{
    float x = static_cast<float>(position.real());
    float y = static_cast<float>(position.imag());
    const auto inside = [](float value, double low, double high) {
        return static_cast<double>(value) > low && static_cast<double>(value) < high;
    };
    if (!inside(x, STONE_RADIUS, SHEET_WIDTH - STONE_RADIUS))
        x = std::nextafter(x, static_cast<float>(TEE_X));
    if (!inside(y, BACK_LINE_Y - STONE_RADIUS, RELEASE_Y))
        y = std::nextafter(y, static_cast<float>(TEE_Y));
    stored[0] = x;
    stored[1] = y;
}

Complex LaunchVelocity(ShotVector shot, float randomError, RandomStream &stream)
{
    const Complex velocity(static_cast<double>(shot.vx), static_cast<double>(shot.vy));
    if (!(randomError > 0.0f))
        return velocity;
    const int curl = CurlOfSpin(shot.spin);
    const NormalPair draw = NextNormalPair(stream);
    const double sigma = static_cast<double>(randomError);
    const Complex rest = RestDisplacement(velocity, curl) + sigma * Complex(draw.first, draw.second);
    return LaunchForDisplacement(rest, curl);
}

// The stones before the throw: those not on the sheet are removed, the delivered
// stone's slot is empty until it is thrown.
void StonesBeforeThrow(const GameState &state, int delivered, float before[STONE_COUNT][2])
{
    std::memcpy(before, state.stones, sizeof state.stones);
    SetRemoved(before[delivered]);
    for (int k = 0; k < STONE_COUNT; ++k) {
        if (!rules::InPlay(before[k]))
            continue;
        const bool finite = std::isfinite(before[k][0]) && std::isfinite(before[k][1]);
        if (!finite || !OnSheet(ToComplex(before[k])))
            SetRemoved(before[k]);
    }
}

void ApplyHogLine(const Sheet &sheet, float stones[STONE_COUNT][2])
{
    const SheetStone &stone = sheet.stones[sheet.delivered];
    if (stone.inPlay && !sheet.deliveredTouched && stone.now.position.imag() >= HOG_LIMIT_Y)
        SetRemoved(stones[sheet.delivered]);
}

// While the delivered stone is one of the first five, removing a guard of the
// other side puts every stone back and removes the delivered one instead.
void ApplyFreeGuardZone(int delivered, const float before[STONE_COUNT][2], float stones[STONE_COUNT][2])
{
    for (int k = 0; k < STONE_COUNT; ++k) {
        if (!rules::FreeGuardZoneProtects(delivered, k) || !rules::InFreeGuardZone(before[k]))
            continue;
        if (rules::InPlay(stones[k]))
            continue;
        std::memcpy(stones, before, sizeof(float) * STONE_COUNT * 2);
        SetRemoved(stones[delivered]);
        return;
    }
}

}  // namespace

int DeliveredIndex(const GameState &state, std::int32_t stoneIndex)
{
    const std::int32_t index = stoneIndex == -1 ? state.shotIndex : stoneIndex;
    return index >= 0 && index < STONE_COUNT ? index : -1;
}

bool UsableVector(const ShotVector &shot)
{
    return std::isfinite(shot.vx) && std::isfinite(shot.vy) && (shot.spin == 0 || shot.spin == 1);
}

bool UsableError(float randomError)
{
    return !(std::isinf(randomError) && randomError > 0.0f);
}

RandomStream StreamForThrow(const RandomStream &current, std::uint32_t seed)
{
    return seed != 0 ? SeededStream(seed) : current;
}

ThrowOutcome PlayThrow(const GameState &state, ShotVector shot, float randomError, const RandomStream &stream,
                       int delivered, ThrowTrace *trace)
{
    ThrowOutcome outcome{};
    outcome.stream = stream;
    const Complex velocity = LaunchVelocity(shot, randomError, outcome.stream);

    float before[STONE_COUNT][2];
    StonesBeforeThrow(state, delivered, before);
    Sheet sheet;
    sheet.delivered = delivered;
    sheet.trace = trace;
    for (int k = 0; k < STONE_COUNT; ++k) {
        if (k == delivered || !rules::InPlay(before[k]))
            continue;
        PlaceAtRest(sheet.stones[k], ToComplex(before[k]));
    }
    Launch(sheet, delivered, {RELEASE_X, RELEASE_Y}, velocity, CurlOfSpin(shot.spin));
    PlayUntilRest(sheet);

    for (int k = 0; k < STONE_COUNT; ++k) {
        const SheetStone &stone = sheet.stones[k];
        float *stored = outcome.stones[k];
        if (!stone.inPlay || !OnSheet(stone.now.position))
            SetRemoved(stored);
        else if (!stone.disturbed)
            std::memcpy(stored, before[k], sizeof(float) * 2);
        else
            StoreOnSheet(stone.now.position, stored);
    }
    // Out-of-play stones come back exactly as given.
    for (int k = 0; k < STONE_COUNT; ++k)
        if (k != delivered && !rules::InPlay(state.stones[k]))
            std::memcpy(outcome.stones[k], state.stones[k], sizeof(float) * 2);
    ApplyHogLine(sheet, outcome.stones);
    ApplyFreeGuardZone(delivered, before, outcome.stones);
    return outcome;
}

}  // namespace tessival

#include "stone_ranking.h"

#include "game_state.h"
#include "geometry.h"

namespace {

struct RankEntry {
    float x;
    float y;
};

bool IsEmpty(const RankEntry &entry)
{
    return entry.x == 0.0f && entry.y == 0.0f;
}

// A stone with either coordinate exactly 0 is out of play for the ranking.
bool IsRankable(const float stone[2])
{
    return stone[0] != 0.0f && stone[1] != 0.0f;
}

float TeeDistanceSquared(float x, float y)
{
    return SquaredDistance(TEE_X, TEE_Y, x, y);
}

// Insertion keeps ascending distance; an equal distance goes behind, so the
// lower index stays first.
void InsertStone(RankEntry list[STONE_COUNT], float x, float y)
{
    const float distance = TeeDistanceSquared(x, y);
    int place = 0;
    while (place < STONE_COUNT - 1 && !IsEmpty(list[place]) &&
           !(TeeDistanceSquared(list[place].x, list[place].y) > distance)) {
        ++place;
    }
    for (int k = STONE_COUNT - 1; k > place; --k) {
        list[k] = list[k - 1];
    }
    list[place] = {x, y};
}

// The side is found again by coordinates: duplicated coordinates report the
// side of the lower index.
int SideOf(const RankEntry &entry, int count)
{
    for (int k = 0; k < count; ++k) {
        const float *stone = gameState.stones[k];
        if (IsRankable(stone) && stone[0] == entry.x && stone[1] == entry.y) {
            return k % 2;
        }
    }
    return -1;
}

}  // namespace

int RankStone(int rank, float position[2])
{
    position[0] = 0.0f;
    position[1] = 0.0f;
    if (rank < 0 || rank >= STONE_COUNT) {
        return -1;
    }
    RankEntry list[STONE_COUNT] = {};
    const int count = ThrownStoneCount(gameState);
    for (int i = 0; i < count; ++i) {
        if (IsRankable(gameState.stones[i])) {
            InsertStone(list, gameState.stones[i][0], gameState.stones[i][1]);
        }
    }
    const RankEntry entry = list[rank];
    position[0] = entry.x;
    position[1] = entry.y;
    return SideOf(entry, count);
}

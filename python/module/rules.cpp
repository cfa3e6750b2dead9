// The game's rules over a position, from rules/ as the engines and the runner
// apply them, and the sheet's measures of tessival.h.
#include "arrays.h"
#include "bindings.h"
#include "end_score.h"
#include "free_guard_zone.h"
#include "house.h"
#include "in_play.h"
#include "tessival.h"

namespace tessival_python {

namespace {

// One bool per stone of a (16, 2) position.
py::array_t<bool> PerStone(const py::handle &value, bool (*rule)(const float stone[2]))
{
    float stones[TESSIVAL_STONE_COUNT][2];
    ReadStones(value, stones);
    py::array_t<bool> result(TESSIVAL_STONE_COUNT);
    bool *each = result.mutable_data();
    for (int stone = 0; stone < TESSIVAL_STONE_COUNT; ++stone)
        each[stone] = rule(stones[stone]);
    return result;
}

void BindMeasures(py::module_ &module)
{
    module.attr("SHEET_WIDTH") = TESSIVAL_SHEET_WIDTH;
    module.attr("TEE_X") = TESSIVAL_TEE_X;
    module.attr("TEE_Y") = TESSIVAL_TEE_Y;
    module.attr("HOUSE_RADIUS") = TESSIVAL_HOUSE_RADIUS;
    module.attr("STONE_RADIUS") = TESSIVAL_STONE_RADIUS;
    module.attr("BACK_LINE_Y") = TESSIVAL_BACK_LINE_Y;
    module.attr("HOG_LINE_Y") = TESSIVAL_HOG_LINE_Y;
    module.attr("RELEASE_X") = TESSIVAL_RELEASE_X;
    module.attr("RELEASE_Y") = TESSIVAL_RELEASE_Y;
    module.attr("HOUSE_REACH") = TESSIVAL_HOUSE_REACH;
    module.attr("STONE_COUNT") = TESSIVAL_STONE_COUNT;
    module.attr("FREE_GUARD_ZONE_LAST_STONE") = TESSIVAL_FREE_GUARD_ZONE_LAST_STONE;
}

}  // namespace

void BindRules(py::module_ &module)
{
    BindMeasures(module);
    module.def(
        "end_score",
        [](const py::handle &stones, long long side) {
            GameState state{};
            ReadStones(stones, state.stones);
            return rules::EndScore(state, CheckRange("side", side, 0, 1));
        },
        py::arg("stones"), py::arg("side"),
        "The score of the end as stones (16, 2) lie, for side 0 (even rows) or 1 (odd rows): -8 to 8,\n"
        "positive when side scores. The side nearest the tee scores each of its stones in the house\n"
        "nearer than the other side's nearest; equally near nearest stones score 0.");
    module.def(
        "in_play", [](const py::handle &stones) { return PerStone(stones, rules::InPlay); }, py::arg("stones"),
        "bool (16,): which stones of stones (16, 2) are in play (not at (0, 0)).");
    module.def(
        "in_house",
        [](const py::handle &stones) {
            return PerStone(stones, [](const float stone[2]) { return rules::InHouse(stone[0], stone[1]); });
        },
        py::arg("stones"),
        "bool (16,): which stones of stones (16, 2) have a part over the house (centre nearer the tee\n"
        "than HOUSE_REACH m), as the end is scored.");
    module.def(
        "in_free_guard_zone", [](const py::handle &stones) { return PerStone(stones, rules::InFreeGuardZone); },
        py::arg("stones"),
        "bool (16,): which stones of stones (16, 2) lie in the free guard zone: between the tee line and\n"
        "the hog line (TEE_Y < y < HOG_LINE_Y) with no part over the house.");
    module.def(
        "free_guard_zone_protects",
        [](long long delivered, long long guard) {
            return rules::FreeGuardZoneProtects(CheckRange("delivered", delivered, 0, TESSIVAL_STONE_COUNT - 1),
                                                CheckRange("guard", guard, 0, TESSIVAL_STONE_COUNT - 1));
        },
        py::arg("delivered"), py::arg("guard"),
        "Whether the throw of stone delivered (0 to 15) may not remove stone guard (0 to 15) from the\n"
        "free guard zone: delivered is one of the first FREE_GUARD_ZONE_LAST_STONE + 1 and guard is\n"
        "the other side's.");
}

}  // namespace tessival_python

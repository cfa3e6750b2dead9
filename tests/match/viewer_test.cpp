#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "game/thrower.h"
#include "viewer/stone_motion.h"
#include "viewer/viewer_page.h"

using namespace match::game;
using namespace match::viewer;

namespace {

constexpr float ERROR = 0.145f;

ShotVector Draw(float x, float y)
{
    ShotVector shot{};
    EXPECT_EQ(CreateShot({x, y, 0}, &shot), 1);
    return shot;
}

// One end of three real throws: a guard, a draw to the tee, and a hit on the
// tee stone, each traced with its seed as the runner plays it.
MatchRecord ThreeShotMatch()
{
    MatchRecord record;
    record.engines = {"./a </script><b>x</b>", "b & <c>"};
    record.error = ERROR;
    GameRecord game;
    EndRecord end;
    end.hammer = Side::B;
    GameState state{};
    ShotVector hit{};
    EXPECT_EQ(CreateHitShot({2.375f, 4.88f, 0}, 12.0f, &hit), 1);
    const ShotVector shots[3] = {Draw(1.2f, 8.0f), Draw(2.375f, 4.88f), hit};
    Thrower thrower(0, 1, ERROR);
    for (int k = 0; k < 3; ++k) {
        ShotRecord shot;
        shot.shotIndex = k;
        shot.engine = k % 2 == 0 ? Side::A : Side::B;
        state.shotIndex = k;
        shot.sent = state;
        shot.shot = shots[k];
        shot.seed = 77u + static_cast<uint32_t>(k);
        shot.played = thrower.Throw(state, shot.shot, shot.seed, shot.path);
        shot.resting = state;
        shot.path.clear();
        end.shots.push_back(shot);
    }
    end.complete = true;
    game.ends.push_back(end);
    record.games.push_back(game);
    return record;
}

nlohmann::json PageData(const std::string &page)
{
    const std::string open = "<script type=\"application/json\" id=\"match-data\">";
    std::size_t start = page.find(open) + open.size();
    return nlohmann::json::parse(page.substr(start, page.find("</script>", start) - start));
}

std::string TempPath(const char *name) { return (std::filesystem::temp_directory_path() / name).string(); }

} // namespace

TEST(Viewer, DataStaysInsideItsScriptElementAndReadsBackAsGiven)
{
    MatchRecord record = ThreeShotMatch();
    std::string path = TempPath("viewer_test_page.html");
    WriteViewerPage(record, path);
    std::string page = ViewerPage(record);
    for (const char *markup : {"</script><b>", "<b>x", "<c>", "& <"})
        EXPECT_EQ(page.find(markup), std::string::npos) << markup;
    nlohmann::json data = PageData(page);
    EXPECT_EQ(data["engines"][0]["command"], record.engines[0]);
    EXPECT_EQ(data["engines"][1]["command"], record.engines[1]);
    const nlohmann::json &shots = data["games"][0]["ends"][0]["shots"];
    ASSERT_EQ(shots.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k)
        for (int stone = 0; stone < 16; ++stone)
            for (int axis = 0; axis < 2; ++axis)
                EXPECT_EQ(shots[k]["resting"][stone][axis].get<float>(), record.games[0].ends[0].shots[k].resting.stones[stone][axis]);
    std::filesystem::remove(path);
}

TEST(Viewer, EachGameOfATournamentShowsItsOwnTwoEngines)
{
    MatchRecord record = ThreeShotMatch();
    record.engines.push_back("./third");
    record.names = {"first", "second", "third"};
    record.games[0].players = {2, 0};
    std::string path = TempPath("viewer_test_tournament.html");
    WriteViewerPage(record, path);
    std::filesystem::remove(path);
    nlohmann::json data = PageData(ViewerPage(record));
    EXPECT_EQ(data["engines"].size(), 3u);
    const nlohmann::json &players = data["games"][0]["engines"];
    EXPECT_EQ(players[0]["name"], "third");
    EXPECT_EQ(players[1]["name"], "first");
    EXPECT_EQ(players[0]["command"], "./third");
}

TEST(Viewer, APageIsRefusedWhenTheReplayRestsOtherwise)
{
    MatchRecord record = ThreeShotMatch();
    record.games[0].ends[0].shots[2].resting.stones[1][0] += 0.01f;
    std::string path = TempPath("viewer_test_refused.html");
    std::filesystem::remove(path);
    EXPECT_THROW(WriteViewerPage(record, path), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(Viewer, MotionTimesTheThrowAndTheStonesItStrikes)
{
    MatchRecord record = ThreeShotMatch();
    WriteViewerPage(record, TempPath("viewer_test_motion.html"));
    const EndRecord &end = record.games[0].ends[0];
    constexpr double FAR_Y = 11.9;

    // A free draw runs for its launch speed over the deceleration.
    const ShotRecord &draw = end.shots[1];
    ShotMotion free = DescribeMotion(draw, FAR_Y);
    double speed = std::hypot(static_cast<double>(draw.shot.vx), static_cast<double>(draw.shot.vy));
    EXPECT_NEAR(free.duration, speed / FREE_DECELERATION, 0.01 * free.duration);
    EXPECT_GT(static_cast<double>(draw.path[static_cast<std::size_t>(free.firstPoint)][1]), FAR_Y);
    EXPECT_LE(static_cast<double>(draw.path[static_cast<std::size_t>(free.firstPoint) + 1][1]), FAR_Y);
    EXPECT_TRUE(free.moves.empty());

    // The hit sets the tee stone moving once the thrown stone reaches it.
    ShotMotion hit = DescribeMotion(end.shots[2], FAR_Y);
    ASSERT_EQ(hit.moves.size(), 1u);
    EXPECT_EQ(hit.moves[0].stone, 1);
    std::size_t contact = static_cast<std::size_t>(std::lround(hit.moves[0].start / hit.step));
    const PathPoint &at = end.shots[2].path[contact];
    const float *struck = end.shots[2].sent.stones[1];
    EXPECT_NEAR(std::hypot(static_cast<double>(at[0] - struck[0]), static_cast<double>(at[1] - struck[1])),
                2.0 * TESSIVAL_STONE_RADIUS, 0.1);
    std::filesystem::remove(TempPath("viewer_test_motion.html"));
}

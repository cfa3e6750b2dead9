#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "game/thrower.h"
#include "in_play.h"
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
        shot.played = thrower.Throw(state, shot.shot, shot.seed, shot.trace);
        shot.resting = state;
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

std::string TempPath(const char *name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

double Thousandths(double value)
{
    return std::round(value * 1000.0) / 1000.0;
}

double Metres(float value)
{
    return static_cast<double>(value);
}

// How far even motion between a shown path's points puts the stone at time
// from point.
double Stray(const std::vector<ShownPoint> &shown, double time, const PathPoint &point)
{
    std::size_t i = 0;
    while (i + 2 < shown.size() && shown[i + 1].time <= time)
        ++i;
    const ShownPoint &a = shown[i];
    const ShownPoint &b = shown[std::min(i + 1, shown.size() - 1)];
    const double share = b.time > a.time ? (time - a.time) / (b.time - a.time) : 1.0;
    return std::hypot(Metres(a.at[0]) + (Metres(b.at[0]) - Metres(a.at[0])) * share - Metres(point[0]),
                      Metres(a.at[1]) + (Metres(b.at[1]) - Metres(a.at[1])) * share - Metres(point[1]));
}

}  // namespace

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
    for (std::size_t k = 0; k < 3; ++k) {
        // The stones in play, each with its index, and no others.
        const GameState &resting = record.games[0].ends[0].shots[k].resting;
        std::size_t listed = 0;
        for (int stone = 0; stone < 16; ++stone) {
            if (!rules::InPlay(resting, stone))
                continue;
            const nlohmann::json &entry = shots[k]["resting"][listed++];
            EXPECT_EQ(entry[0], stone);
            EXPECT_EQ(entry[1].get<float>(), resting.stones[stone][0]);
            EXPECT_EQ(entry[2].get<float>(), resting.stones[stone][1]);
        }
        EXPECT_EQ(shots[k]["resting"].size(), listed) << "shot " << k;
    }
    std::filesystem::remove(path);
}

TEST(Viewer, EachGameOfATournamentShowsItsOwnTwoEngines)
{
    MatchRecord record = ThreeShotMatch();
    record.engines.push_back("./third");
    record.names = {"first", "second", "third"};
    record.games[0].players = {2, 0};
    nlohmann::json data = PageData(ViewerPage(record));
    EXPECT_EQ(data["engines"].size(), 3u);
    const nlohmann::json &players = data["games"][0]["engines"];
    EXPECT_EQ(players[0]["name"], "third");
    EXPECT_EQ(players[1]["name"], "first");
    EXPECT_EQ(players[0]["command"], "./third");
}

TEST(Viewer, AShownPathFollowsTheTracedOneWithFewerPoints)
{
    constexpr double FAR_Y = 11.9;
    MatchRecord record = ThreeShotMatch();
    std::size_t traced = 0;
    std::size_t kept = 0;
    for (const ShotRecord &shot : record.games[0].ends[0].shots)
        for (const StonePath &path : shot.trace.paths) {
            std::vector<ShownPoint> shown = ShownPath(path, FAR_Y);
            ASSERT_GE(shown.size(), 2u);
            const double step =
                (Metres(path.endTime) - Metres(path.startTime)) / static_cast<double>(path.points.size() - 1);
            // From the last point beyond the view, every traced point on.
            std::size_t first =
                static_cast<std::size_t>(std::lround((shown.front().time - Metres(path.startTime)) / step));
            EXPECT_EQ(shown.front().at, path.points[first]);
            EXPECT_TRUE(first == 0 || Metres(path.points[first][1]) > FAR_Y) << "stone " << path.stone;
            EXPECT_LE(Metres(path.points[first + 1][1]), FAR_Y) << "stone " << path.stone;
            EXPECT_EQ(shown.back().at, path.points.back());
            EXPECT_NEAR(shown.back().time, Metres(path.endTime), 1e-4);
            for (std::size_t i = first; i < path.points.size(); ++i)
                ASSERT_LE(Stray(shown, Metres(path.startTime) + step * static_cast<double>(i), path.points[i]),
                          SHOWN_PATH_TOLERANCE + 1e-6)
                    << "stone " << path.stone << ", point " << i;
            traced += path.points.size() - first;
            kept += shown.size();
        }
    EXPECT_LT(kept * 4, traced) << "the page keeps a fraction of the points";
}

// Every stone a throw set moving is shown along its traced path, to the
// millisecond and the millimetre, and the contacts with it.
TEST(Viewer, DataCarriesEveryMovedStonesPathAndTheContacts)
{
    constexpr double FAR_Y = 11.9;
    MatchRecord record = ThreeShotMatch();
    const ShotRecord &hit = record.games[0].ends[0].shots[2];
    ASSERT_FALSE(hit.trace.contacts.empty());
    ASSERT_NE(hit.trace.PathOf(1), nullptr) << "the hit moves the tee stone";
    EXPECT_EQ(hit.trace.PathOf(0), nullptr) << "the guard stays put";

    const nlohmann::json data = PageData(ViewerPage(record));
    const nlohmann::json &shot = data["games"][0]["ends"][0]["shots"][2];
    ASSERT_EQ(shot["paths"].size(), hit.trace.paths.size());
    for (std::size_t i = 0; i < hit.trace.paths.size(); ++i) {
        const StonePath &traced = hit.trace.paths[i];
        const std::vector<ShownPoint> shown = ShownPath(traced, FAR_Y);
        const nlohmann::json &path = shot["paths"][i];
        EXPECT_EQ(path["stone"], traced.stone);
        EXPECT_EQ(path.contains("left"), traced.leftSheet);
        ASSERT_EQ(path["points"].size(), shown.size());
        for (std::size_t j = 0; j < shown.size(); ++j)
            ASSERT_EQ(path["points"][j],
                      nlohmann::json({Thousandths(shown[j].time), Thousandths(Metres(shown[j].at[0])),
                                      Thousandths(Metres(shown[j].at[1]))}))
                << "stone " << traced.stone << ", point " << j;
    }
    ASSERT_EQ(shot["contacts"].size(), hit.trace.contacts.size());
    for (std::size_t i = 0; i < hit.trace.contacts.size(); ++i) {
        const TessivalContact &contact = hit.trace.contacts[i];
        EXPECT_EQ(shot["contacts"][i],
                  nlohmann::json({Thousandths(Metres(contact.time)), contact.first, contact.second}));
    }
    EXPECT_EQ(data["games"][0]["ends"][0]["shots"][1]["contacts"], nlohmann::json::array())
        << "the draw touches nothing";
}

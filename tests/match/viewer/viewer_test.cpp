#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "game/thrower.h"
#include "in_play.h"
#include "viewer/page_numbers.h"
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

double Metres(float value)
{
    return static_cast<double>(value);
}

// A point of a path as [time, x, y] in s and m.
using Timed = std::array<double, 3>;

Timed TimedOf(const ShownPoint &point)
{
    return {point.time, Metres(point.at[0]), Metres(point.at[1])};
}

// A path's points as the page reads them from its flat changes in ms and mm.
std::vector<Timed> PagePoints(const nlohmann::json &flat)
{
    std::vector<Timed> points;
    std::array<long long, 3> sum{};
    for (std::size_t i = 0; i + 2 < flat.size(); i += 3) {
        for (std::size_t k = 0; k < 3; ++k)
            sum[k] += flat[i + k].get<long long>();
        points.push_back({static_cast<double>(sum[0]) / 1000.0, static_cast<double>(sum[1]) / 1000.0,
                          static_cast<double>(sum[2]) / 1000.0});
    }
    return points;
}

// Where even motion between the points puts the stone at time.
std::array<double, 2> EvenAt(const std::vector<Timed> &points, double time)
{
    std::size_t i = 0;
    while (i + 2 < points.size() && points[i + 1][0] <= time)
        ++i;
    const Timed &a = points[i];
    const Timed &b = points[std::min(i + 1, points.size() - 1)];
    const double share = b[0] > a[0] ? std::clamp((time - a[0]) / (b[0] - a[0]), 0.0, 1.0) : 1.0;
    return {a[1] + (b[1] - a[1]) * share, a[2] + (b[2] - a[2]) * share};
}

// How far point lies from the polyline through the points.
double AwayFromLine(const std::vector<Timed> &points, const PathPoint &point)
{
    const double px = Metres(point[0]);
    const double py = Metres(point[1]);
    double nearest = std::hypot(points[0][1] - px, points[0][2] - py);
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const double dx = points[i + 1][1] - points[i][1];
        const double dy = points[i + 1][2] - points[i][2];
        const double length2 = dx * dx + dy * dy;
        const double along =
            length2 > 0.0 ? std::clamp(((px - points[i][1]) * dx + (py - points[i][2]) * dy) / length2, 0.0, 1.0) : 0.0;
        nearest = std::min(nearest, std::hypot(points[i][1] + dx * along - px, points[i][2] + dy * along - py));
    }
    return nearest;
}

// The traced point's time.
double TimeOf(const StonePath &path, std::size_t i)
{
    return Metres(path.startTime) + (Metres(path.endTime) - Metres(path.startTime)) * static_cast<double>(i) /
                                        static_cast<double>(path.points.size() - 1);
}

// The first traced point a path shown from farY keeps.
std::size_t FirstShown(const StonePath &path, double farY)
{
    std::size_t i = 0;
    while (i + 1 < path.points.size() && Metres(path.points[i + 1][1]) > farY)
        ++i;
    return i;
}

// Every traced point from the first shown on lies within across of the
// polyline of points, and even motion along it puts the stone within along of
// each at its time.
void ExpectFollows(const StonePath &path, const std::vector<Timed> &points, double farY, double across, double along)
{
    for (std::size_t i = FirstShown(path, farY); i < path.points.size(); ++i) {
        ASSERT_LE(AwayFromLine(points, path.points[i]), across) << "stone " << path.stone << ", point " << i;
        const std::array<double, 2> even = EvenAt(points, TimeOf(path, i));
        ASSERT_LE(std::hypot(even[0] - Metres(path.points[i][0]), even[1] - Metres(path.points[i][1])), along)
            << "stone " << path.stone << ", point " << i;
    }
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
            // In whole millimetres, no more than half a millimetre from where it rests.
            const nlohmann::json &entry = shots[k]["resting"][listed++];
            EXPECT_EQ(entry[0], stone);
            EXPECT_LE(std::abs(entry[1].get<double>() / 1000.0 - Metres(resting.stones[stone][0])), 0.0005 + 1e-9);
            EXPECT_LE(std::abs(entry[2].get<double>() / 1000.0 - Metres(resting.stones[stone][1])), 0.0005 + 1e-9);
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
            // From the last point beyond the view, every traced point on.
            const std::size_t first = FirstShown(path, FAR_Y);
            EXPECT_EQ(shown.front().at, path.points[first]);
            EXPECT_NEAR(shown.front().time, TimeOf(path, first), 1e-4);
            EXPECT_EQ(shown.back().at, path.points.back());
            EXPECT_NEAR(shown.back().time, Metres(path.endTime), 1e-4);
            std::vector<Timed> points;
            for (const ShownPoint &point : shown)
                points.push_back(TimedOf(point));
            ExpectFollows(path, points, FAR_Y, SHOWN_PATH_TOLERANCE + 1e-6, SHOWN_TIMING_TOLERANCE + 1e-6);
            traced += path.points.size() - first;
            kept += shown.size();
        }
    EXPECT_LT(kept * 10, traced) << "the page keeps a small part of the points";
}

// A stone that runs straight and evenly, then stops dead and rests: the line
// needs its two ends, the motion the moment it stopped.
TEST(Viewer, AShownPathKeepsWhereTheSpeedChangesOnAStraightLine)
{
    StonePath path;
    path.startTime = 2.0f;
    path.endTime = 12.0f;  // 201 points, 0.05 s apart
    for (int i = 0; i <= 200; ++i)
        path.points.push_back({1.0f, 10.0f - 0.05f * static_cast<float>(std::min(i, 100))});
    const std::vector<ShownPoint> shown = ShownPath(path, 11.9);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].at, path.points[100]);
    EXPECT_NEAR(shown[1].time, 7.0, 1e-6);

    path.points.resize(101);
    path.endTime = 7.0f;
    EXPECT_EQ(ShownPath(path, 11.9).size(), 2u) << "an even run needs only its ends";
}

// The page's paths, read back from the data as the page reads them, lie
// within 2 mm of the traced curves, run within 2 cm of the traced stones
// (both tolerances and the rounding to the millimetre and the millisecond),
// and end exactly where the stones that stay in play are drawn at rest.
TEST(Viewer, DataPathsFollowTheTracesAndEndWhereTheStonesRest)
{
    constexpr double FAR_Y = 11.9;
    MatchRecord record = ThreeShotMatch();
    const nlohmann::json data = PageData(ViewerPage(record));
    const std::vector<ShotRecord> &shots = record.games[0].ends[0].shots;
    for (std::size_t k = 0; k < shots.size(); ++k) {
        const nlohmann::json &shot = data["games"][0]["ends"][0]["shots"][k];
        ASSERT_EQ(shot["paths"].size(), shots[k].trace.paths.size());
        for (std::size_t i = 0; i < shots[k].trace.paths.size(); ++i) {
            const StonePath &traced = shots[k].trace.paths[i];
            const nlohmann::json &path = shot["paths"][i];
            EXPECT_EQ(path["stone"], traced.stone);
            EXPECT_EQ(path.contains("left"), traced.leftSheet);
            const std::vector<Timed> points = PagePoints(path["points"]);
            ASSERT_EQ(points.size(), ShownPath(traced, FAR_Y).size());
            ExpectFollows(traced, points, FAR_Y, 0.002, 0.02);
            for (const nlohmann::json &resting : shot["resting"])
                if (resting[0] == traced.stone) {
                    EXPECT_EQ(points.back()[1], resting[1].get<double>() / 1000.0) << "stone " << traced.stone;
                    EXPECT_EQ(points.back()[2], resting[2].get<double>() / 1000.0) << "stone " << traced.stone;
                }
        }
    }
}

// Every contact to the millisecond, and the vector as the float's shortest
// decimal form.
TEST(Viewer, DataCarriesTheContactsAndTheVector)
{
    MatchRecord record = ThreeShotMatch();
    const ShotRecord &hit = record.games[0].ends[0].shots[2];
    ASSERT_FALSE(hit.trace.contacts.empty());
    ASSERT_NE(hit.trace.PathOf(1), nullptr) << "the hit moves the tee stone";
    EXPECT_EQ(hit.trace.PathOf(0), nullptr) << "the guard stays put";

    const nlohmann::json data = PageData(ViewerPage(record));
    const nlohmann::json &shot = data["games"][0]["ends"][0]["shots"][2];
    ASSERT_EQ(shot["contacts"].size(), hit.trace.contacts.size());
    for (std::size_t i = 0; i < hit.trace.contacts.size(); ++i) {
        const TessivalContact &contact = hit.trace.contacts[i];
        EXPECT_EQ(shot["contacts"][i],
                  nlohmann::json({std::lround(Metres(contact.time) * 1000.0), contact.first, contact.second}));
    }
    EXPECT_EQ(data["games"][0]["ends"][0]["shots"][1]["contacts"], nlohmann::json::array())
        << "the draw touches nothing";
    EXPECT_EQ(shot["vx"].get<float>(), hit.shot.vx);
    EXPECT_EQ(shot["vy"].get<float>(), hit.shot.vy);
    EXPECT_LE(shot["vy"].dump().size(), 10u) << shot["vy"].dump();
}

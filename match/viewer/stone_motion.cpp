#include "viewer/stone_motion.h"

#include <cmath>

#include "in_play.h"

namespace match::viewer {

using game::PathPoint;
using game::ShotRecord;

namespace {

PathPoint Point(const float stone[2]) { return {stone[0], stone[1]}; }

double Distance(const PathPoint &a, const PathPoint &b)
{
    return std::hypot(static_cast<double>(a[0]) - static_cast<double>(b[0]), static_cast<double>(a[1]) - static_cast<double>(b[1]));
}

// Seconds between path points. The points are evenly spaced in time and the
// stone leaves the release at about the launch speed, so the first gap over
// that speed is the time step.
double TimeStep(const ShotRecord &shot)
{
    const double speed = std::hypot(static_cast<double>(shot.shot.vx), static_cast<double>(shot.shot.vy));
    if (shot.path.size() < 2 || speed <= 0.0)
        return 0.0;
    return Distance(shot.path[0], shot.path[1]) / speed;
}

// The last point before the path first comes within the view.
int FirstPointInView(const std::vector<PathPoint> &path, double farY)
{
    for (std::size_t i = 0; i < path.size(); ++i)
        if (static_cast<double>(path[i][1]) <= farY)
            return i == 0 ? 0 : static_cast<int>(i - 1);
    return path.empty() ? 0 : static_cast<int>(path.size() - 1);
}

// The first path point where the thrown stone touches a stone lying at
// stone (within the gap the sampling can miss), or else its closest point:
// a stone struck by another struck stone starts as the thrown one gets nearest.
std::size_t ContactPoint(const std::vector<PathPoint> &path, const PathPoint &stone)
{
    std::size_t closest = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        double reach = 2.0 * TESSIVAL_STONE_RADIUS;
        if (i + 1 < path.size())
            reach += Distance(path[i], path[i + 1]);
        if (Distance(stone, path[i]) <= reach)
            return i;
        if (Distance(stone, path[i]) < Distance(stone, path[closest]))
            closest = i;
    }
    return closest;
}

// A stone knocked out of play sets off along the line from the thrown stone
// at contact, with the speed the thrown stone had there.
void SetOff(StoneMove &move, const std::vector<PathPoint> &path, std::size_t contact, const PathPoint &stone, double step)
{
    const PathPoint &at = path[contact];
    const double apart = Distance(at, stone);
    if (apart > 0.0)
        move.heading = {static_cast<float>((static_cast<double>(stone[0]) - static_cast<double>(at[0])) / apart),
                        static_cast<float>((static_cast<double>(stone[1]) - static_cast<double>(at[1])) / apart)};
    if (contact + 1 < path.size() && step > 0.0)
        move.speed = Distance(at, path[contact + 1]) / step;
    move.run = move.speed / FREE_DECELERATION;
}

} // namespace

ShotMotion DescribeMotion(const ShotRecord &shot, double farY)
{
    ShotMotion motion;
    motion.step = TimeStep(shot);
    motion.firstPoint = FirstPointInView(shot.path, farY);
    motion.duration = shot.path.empty() ? 0.0 : motion.step * static_cast<double>(shot.path.size() - 1);
    for (int k = 0; k < 16; ++k) {
        const float *from = shot.sent.stones[k];
        const float *to = shot.resting.stones[k];
        if (k == shot.shotIndex || !rules::InPlay(from) || (from[0] == to[0] && from[1] == to[1]))
            continue;
        StoneMove move;
        move.stone = k;
        std::size_t contact = ContactPoint(shot.path, Point(from));
        move.start = motion.step * static_cast<double>(contact);
        move.removed = !rules::InPlay(to);
        if (move.removed)
            SetOff(move, shot.path, contact, Point(from), motion.step);
        else
            move.run = std::sqrt(2.0 * Distance(Point(from), Point(to)) / FREE_DECELERATION);
        motion.moves.push_back(move);
    }
    return motion;
}

} // namespace match::viewer

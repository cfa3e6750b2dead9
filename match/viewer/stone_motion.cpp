#include "viewer/stone_motion.h"

#include <algorithm>
#include <cmath>

namespace match::viewer {

using game::PathPoint;
using game::StonePath;

namespace {

struct Point {
    double x = 0.0;
    double y = 0.0;
};

Point ToPoint(const PathPoint &point)
{
    return {static_cast<double>(point[0]), static_cast<double>(point[1])};
}

// The last point before the path first comes within the view.
std::size_t FirstPointInView(const std::vector<PathPoint> &path, double farY)
{
    for (std::size_t i = 0; i < path.size(); ++i)
        if (static_cast<double>(path[i][1]) <= farY)
            return i == 0 ? 0 : i - 1;
    return path.empty() ? 0 : path.size() - 1;
}

Point Between(Point from, Point to, double share)
{
    return {from.x + (to.x - from.x) * share, from.y + (to.y - from.y) * share};
}

double Distance2(Point a, Point b)
{
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

// The square of how far p lies from the segment from a to b.
double Distance2ToSegment(Point p, Point a, Point b)
{
    const double length2 = Distance2(a, b);
    if (length2 == 0.0)
        return Distance2(p, a);
    const double along = ((p.x - a.x) * (b.x - a.x) + (p.y - a.y) * (b.y - a.y)) / length2;
    return Distance2(p, Between(a, b, std::clamp(along, 0.0, 1.0)));
}

// Whether even motion from points[from] to points[to] follows every traced
// point between them within the tolerances (the points are evenly spaced in
// time).
bool EvenBetween(const std::vector<PathPoint> &points, std::size_t from, std::size_t to)
{
    constexpr double PATH2 = SHOWN_PATH_TOLERANCE * SHOWN_PATH_TOLERANCE;
    constexpr double TIMING2 = SHOWN_TIMING_TOLERANCE * SHOWN_TIMING_TOLERANCE;
    const Point a = ToPoint(points[from]);
    const Point b = ToPoint(points[to]);
    const double span = static_cast<double>(to - from);
    for (std::size_t i = from + 1; i < to; ++i) {
        const Point traced = ToPoint(points[i]);
        if (Distance2ToSegment(traced, a, b) > PATH2 ||
            Distance2(traced, Between(a, b, static_cast<double>(i - from) / span)) > TIMING2)
            return false;
    }
    return true;
}

// The farthest point that even motion from points[from] reaches following
// the traced points: the step doubles while it does and then halves, so that a
// long run (a stone at rest between two contacts) costs a few checks, not one
// per point.
std::size_t FarthestEven(const std::vector<PathPoint> &points, std::size_t from)
{
    const std::size_t last = points.size() - 1;
    std::size_t reached = from + 1;  // neighbours need no check
    std::size_t failed = last + 1;
    for (std::size_t step = 1; reached < last && failed > last; step *= 2) {
        const std::size_t to = std::min(reached + step, last);
        if (EvenBetween(points, from, to))
            reached = to;
        else
            failed = to;
    }
    while (failed - reached > 1 && failed <= last) {
        const std::size_t middle = reached + (failed - reached) / 2;
        if (EvenBetween(points, from, middle))
            reached = middle;
        else
            failed = middle;
    }
    return reached;
}

}  // namespace

std::vector<ShownPoint> ShownPath(const StonePath &path, double farY)
{
    const std::vector<PathPoint> &points = path.points;
    std::vector<ShownPoint> shown;
    if (points.empty())
        return shown;
    const double start = static_cast<double>(path.startTime);
    const double step =
        points.size() < 2 ? 0.0 : (static_cast<double>(path.endTime) - start) / static_cast<double>(points.size() - 1);
    auto keep = [&](std::size_t i) { shown.push_back({start + step * static_cast<double>(i), points[i]}); };
    std::size_t from = FirstPointInView(points, farY);
    keep(from);
    while (from + 1 < points.size()) {
        from = FarthestEven(points, from);
        keep(from);
    }
    return shown;
}

}  // namespace match::viewer

#include "viewer/stone_motion.h"

namespace match::viewer {

using game::PathPoint;
using game::StonePath;

namespace {

// The last point before the path first comes within the view.
std::size_t FirstPointInView(const std::vector<PathPoint> &path, double farY)
{
    for (std::size_t i = 0; i < path.size(); ++i)
        if (static_cast<double>(path[i][1]) <= farY)
            return i == 0 ? 0 : i - 1;
    return path.empty() ? 0 : path.size() - 1;
}

double Between(float from, float to, double share)
{
    return static_cast<double>(from) + (static_cast<double>(to) - static_cast<double>(from)) * share;
}

// Whether even motion from points[from] to points[to] passes within the
// tolerance of every point between them at its time (the points are evenly
// spaced in time).
bool EvenBetween(const std::vector<PathPoint> &points, std::size_t from, std::size_t to)
{
    const double span = static_cast<double>(to - from);
    for (std::size_t i = from + 1; i < to; ++i) {
        const double share = static_cast<double>(i - from) / span;
        const double dx = Between(points[from][0], points[to][0], share) - static_cast<double>(points[i][0]);
        const double dy = Between(points[from][1], points[to][1], share) - static_cast<double>(points[i][1]);
        if (dx * dx + dy * dy > SHOWN_PATH_TOLERANCE * SHOWN_PATH_TOLERANCE)
            return false;
    }
    return true;
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
    for (std::size_t to = from + 2; to < points.size(); ++to)
        if (!EvenBetween(points, from, to)) {
            from = to - 1;
            keep(from);
        }
    if (from + 1 < points.size())
        keep(points.size() - 1);
    return shown;
}

}  // namespace match::viewer

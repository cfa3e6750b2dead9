#include "viewer/page_numbers.h"

#include <charconv>
#include <cmath>

namespace match::viewer {

long long Millimetres(double metres)
{
    return std::llround(metres * 1000.0);
}

long long Milliseconds(double seconds)
{
    return std::llround(seconds * 1000.0);
}

double Shortest(float value)
{
    char text[32];
    const auto printed = std::to_chars(text, text + sizeof text, value);
    double shortest = 0.0;
    std::from_chars(text, printed.ptr, shortest);
    return shortest;
}

nlohmann::json PathNumbers(const std::vector<ShownPoint> &points)
{
    nlohmann::json numbers = nlohmann::json::array();
    long long time = 0;
    long long x = 0;
    long long y = 0;
    for (const ShownPoint &point : points) {
        const long long nextTime = Milliseconds(point.time);
        const long long nextX = Millimetres(static_cast<double>(point.at[0]));
        const long long nextY = Millimetres(static_cast<double>(point.at[1]));
        numbers.push_back(nextTime - time);
        numbers.push_back(nextX - x);
        numbers.push_back(nextY - y);
        time = nextTime;
        x = nextX;
        y = nextY;
    }
    return numbers;
}

}  // namespace match::viewer

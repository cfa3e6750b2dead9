#include "free_motion.h"

#include <algorithm>
#include <cmath>

#include "sheet_constants.h"

namespace tessival {
namespace {

// 2 - i*curl*k: the factor that turns |V|V into a resting displacement.
Complex ShapeFactor(int curl)
{
    return {2.0, -curl * CURL_RATIO};
}

// |z| without the care of std::abs for values beyond 1e154, which no float-born
// value reaches.
double Magnitude(Complex z)
{
    return std::sqrt(z.real() * z.real() + z.imag() * z.imag());
}

// cos(y) - 1 without cancellation for small y.
double CosineMinusOne(double sine, double cosine)
{
    return cosine > 0.0 ? -sine * sine / (1.0 + cosine) : cosine - 1.0;
}

}  // namespace

int CurlOfSpin(int spin)
{
    return spin == 0 ? -1 : 1;
}

namespace {

// The margin covers rounding in the bound itself; it only shortens steps.
const double STRAIGHT_BOUND = DECELERATION * (1.0 + 1e-6);
const double CURLING_BOUND = std::hypot(DECELERATION, CURL_ACCELERATION) * (1.0 + 1e-6);

}  // namespace

FreeRun RestingRun(Complex start, double time)
{
    FreeRun run{};
    run.start = start;
    run.startTime = time;
    run.speed = 0.0;
    run.heading = {0.0, -1.0};
    run.stopTime = time;
    run.curl = 0;
    run.reach = {0.0, 0.0};
    run.accelerationBound = 0.0;
    return run;
}

FreeRun StartRun(Complex start, Complex velocity, int curl, double time)
{
    const double speed = Magnitude(velocity);
    if (!(speed > 0.0) || !std::isfinite(speed))
        return RestingRun(start, time);
    FreeRun run{};
    run.start = start;
    run.startTime = time;
    run.speed = speed;
    run.heading = velocity / run.speed;
    run.curl = curl;
    run.stopTime = time + run.speed / DECELERATION;
    run.reach = RestDisplacement(velocity, curl);
    run.accelerationBound = curl == 0 ? STRAIGHT_BOUND : CURLING_BOUND;
    return run;
}

Complex RestPoint(const FreeRun &run)
{
    return run.start + run.reach;
}

Kinematics KinematicsAt(const FreeRun &run, double time)
{
    const double elapsed = time - run.startTime;
    if (!(elapsed > 0.0))
        return {run.start, run.heading * run.speed, run.speed};
    if (time >= run.stopTime)
        return {RestPoint(run), {0.0, 0.0}, 0.0};
    const double speed = run.speed - DECELERATION * elapsed;
    if (run.curl == 0) {
        const double travelled = elapsed * (run.speed - 0.5 * DECELERATION * elapsed);
        return {run.start + run.heading * travelled, run.heading * speed, speed};
    }
    // With w = speed / initial speed and L = ln w, the run so far is
    // reach * (1 - w^(2 - ick)) and the heading has turned by -ck L.
    const double fallen = DECELERATION * elapsed / run.speed;  // 1 - w
    const double turn = -run.curl * CURL_RATIO * std::log1p(-fallen);
    const double sine = std::sin(turn);
    const double cosine = std::cos(turn);
    const double grow = -fallen * (2.0 - fallen);  // w^2 - 1
    const Complex powerMinusOne(grow * cosine + CosineMinusOne(sine, cosine), (grow + 1.0) * sine);
    return {run.start - run.reach * powerMinusOne, run.heading * Complex(cosine, sine) * speed, speed};
}

Complex RestDisplacement(Complex velocity, int curl)
{
    return Magnitude(velocity) * velocity / (DECELERATION * ShapeFactor(curl));
}

Complex LaunchForDisplacement(Complex displacement, int curl)
{
    const Complex squared = DECELERATION * ShapeFactor(curl) * displacement;  // |V|V
    const double magnitude = Magnitude(squared);
    if (!(magnitude > 0.0))
        return {0.0, 0.0};
    return squared / std::sqrt(magnitude);
}

Complex LaunchThrough(Complex displacement, double passingSpeed, int curl)
{
    if (!(passingSpeed > 0.0))
        return LaunchForDisplacement(displacement, curl);
    const Complex shape = ShapeFactor(curl);
    // The launch speed u solves |u^2 - uT^2 e^(ick ln(u/uT))| = needed, which grows
    // monotonically with u from 0 at u = uT; Newton's method inside a bracket.
    const double needed = DECELERATION * std::abs(shape) * std::abs(displacement);
    const double passing2 = passingSpeed * passingSpeed;
    const double curlRatio = curl == 0 ? 0.0 : CURL_RATIO;
    double low = std::max(passingSpeed, std::sqrt(std::max(needed - passing2, 0.0)));
    double high = std::sqrt(needed + passing2);
    double speed = high;
    for (int iteration = 0; iteration < 200 && low < high; ++iteration) {
        const double phase = curlRatio * std::log(speed / passingSpeed);
        const double cosine = std::cos(phase);
        const double sine = std::sin(phase);
        const double speed2 = speed * speed;
        const double excess =
            speed2 * speed2 + passing2 * passing2 - 2.0 * speed2 * passing2 * cosine - needed * needed;
        const double slope = 4.0 * speed * (speed2 - passing2 * cosine) + 2.0 * curlRatio * speed * passing2 * sine;
        if (excess > 0.0)
            high = speed;
        else
            low = speed;
        double next = slope > 0.0 ? speed - excess / slope : 0.5 * (low + high);
        if (!(next > low && next < high))
            next = 0.5 * (low + high);
        if (std::abs(next - speed) <= 1e-15 * speed)
            break;
        speed = next;
    }
    const Complex remaining =
        speed * speed - passing2 * std::polar(1.0, curl * CURL_RATIO * std::log(speed / passingSpeed));
    const Complex direction = DECELERATION * shape * displacement / remaining;
    const double length = std::abs(direction);
    if (!(length > 0.0) || !std::isfinite(length))
        return {0.0, -speed};
    return direction / length * speed;
}

}  // namespace tessival

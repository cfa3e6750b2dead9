// Free motion of one stone in closed form: speed falls at DECELERATION while the
// heading turns at curl * CURL_ACCELERATION / speed.
#pragma once

#include <complex>

namespace tessival {

using Complex = std::complex<double>;  // x + iy on the sheet

// -1 for spin 0 (curls toward smaller x going down the sheet), +1 for spin 1.
int CurlOfSpin(int spin);

// One uninterrupted run from `start` at `startTime`; speed 0 is a stone at rest.
struct FreeRun {
    Complex start;
    Complex heading;  // unit direction of the velocity at startTime
    double speed;
    double startTime;
    double stopTime;           // when the speed reaches 0
    int curl;                  // -1, 0 or +1
    Complex reach;             // rest point minus start
    double accelerationBound;  // at least |acceleration| while it moves
};

struct Kinematics {
    Complex position;
    Complex velocity;
    double speed;
};

FreeRun StartRun(Complex start, Complex velocity, int curl, double time);
// StartRun of a stone at rest: speed 0.
FreeRun RestingRun(Complex start, double time);
Kinematics KinematicsAt(const FreeRun &run, double time);
Complex RestPoint(const FreeRun &run);

// Displacement from launch to rest of an unobstructed run with this velocity.
Complex RestDisplacement(Complex velocity, int curl);
// The launch velocity whose unobstructed run rests `displacement` away: the
// exact inverse of RestDisplacement.
Complex LaunchForDisplacement(Complex displacement, int curl);
// The launch velocity whose unobstructed run passes `displacement` away still
// moving at `passingSpeed`.
Complex LaunchThrough(Complex displacement, double passingSpeed, int curl);

}  // namespace tessival

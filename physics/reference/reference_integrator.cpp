#include "reference_integrator.h"

#include <cmath>

namespace reference {
namespace {

constexpr double DECELERATION = 0.08;
constexpr double CURL_ACCELERATION = 0.006;
constexpr double RESTITUTION = 0.9;
constexpr double RADIUS = 0.145;
constexpr double WIDTH = 4.75;
constexpr double BACK_LIMIT = 3.05 - RADIUS;
constexpr double RELEASE_X = 2.375;
constexpr double RELEASE_Y = 33.227;
constexpr int STEP_LIMIT = 10'000'000;

struct Derivative {
    double vx, vy, ax, ay;
};

Derivative Rate(const Stone &s, double vx, double vy)
{
    const double speed = std::hypot(vx, vy);
    const double ux = vx / speed;
    const double uy = vy / speed;
    const double side = s.curl * CURL_ACCELERATION;
    return {vx, vy, -DECELERATION * ux - side * uy, -DECELERATION * uy + side * ux};
}

void Integrate(Stone &s, double h)
{
    const double speed = std::hypot(s.vx, s.vy);
    if (speed <= DECELERATION * h) {
        // Stops within the step: the last sliver of the run is straight.
        const double stopping = speed / DECELERATION;
        s.x += 0.5 * s.vx * stopping;
        s.y += 0.5 * s.vy * stopping;
        s.vx = s.vy = 0.0;
        s.moving = false;
        return;
    }
    const Derivative k1 = Rate(s, s.vx, s.vy);
    const Derivative k2 = Rate(s, s.vx + 0.5 * h * k1.ax, s.vy + 0.5 * h * k1.ay);
    const Derivative k3 = Rate(s, s.vx + 0.5 * h * k2.ax, s.vy + 0.5 * h * k2.ay);
    const Derivative k4 = Rate(s, s.vx + h * k3.ax, s.vy + h * k3.ay);
    s.x += h / 6.0 * (k1.vx + 2.0 * k2.vx + 2.0 * k3.vx + k4.vx);
    s.y += h / 6.0 * (k1.vy + 2.0 * k2.vy + 2.0 * k3.vy + k4.vy);
    s.vx += h / 6.0 * (k1.ax + 2.0 * k2.ax + 2.0 * k3.ax + k4.ax);
    s.vy += h / 6.0 * (k1.ay + 2.0 * k2.ay + 2.0 * k3.ay + k4.ay);
}

Stones Advanced(const Stones &stones, double h)
{
    Stones next = stones;
    for (Stone &s : next)
        if (s.inPlay && s.moving)
            Integrate(s, h);
    return next;
}

bool Leaving(const Stone &s)
{
    return s.x <= RADIUS || s.x >= WIDTH - RADIUS || s.y <= BACK_LIMIT || (s.y >= RELEASE_Y && s.vy > 0.0);
}

// Closing speed of an overlapping pair (positive while closing), or 0.
double Closing(const Stone &a, const Stone &b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double distance = std::hypot(dx, dy);
    if (distance >= 2.0 * RADIUS || distance == 0.0)
        return 0.0;
    return -((b.vx - a.vx) * dx + (b.vy - a.vy) * dy) / distance;
}

bool HasEvent(const Stones &stones)
{
    for (std::size_t i = 0; i < stones.size(); ++i) {
        const Stone &a = stones[i];
        if (!a.inPlay)
            continue;
        if (a.moving && Leaving(a))
            return true;
        for (std::size_t j = i + 1; j < stones.size(); ++j)
            if (stones[j].inPlay && (a.moving || stones[j].moving) && Closing(a, stones[j]) > 0.0)
                return true;
    }
    return false;
}

void Collide(Stone &a, Stone &b)
{
    const double distance = std::hypot(b.x - a.x, b.y - a.y);
    const double nx = (b.x - a.x) / distance;
    const double ny = (b.y - a.y) / distance;
    const double na = a.vx * nx + a.vy * ny;
    const double nb = b.vx * nx + b.vy * ny;
    const double da = 0.5 * ((1.0 - RESTITUTION) * na + (1.0 + RESTITUTION) * nb) - na;
    const double db = 0.5 * ((1.0 + RESTITUTION) * na + (1.0 - RESTITUTION) * nb) - nb;
    for (Stone *s : {&a, &b}) {
        if (!s->moving)
            s->curl = 0;
        s->moving = true;
    }
    a.vx += da * nx;
    a.vy += da * ny;
    b.vx += db * nx;
    b.vy += db * ny;
}

void ResolveEvents(Stones &stones)
{
    for (int round = 0; round < 1000; ++round) {
        for (Stone &s : stones)
            if (s.inPlay && s.moving && Leaving(s))
                s.inPlay = s.moving = false;
        Stone *first = nullptr;
        Stone *second = nullptr;
        double fastest = 1e-9;
        for (Stone &a : stones)
            for (Stone &b : stones)
                if (&a < &b && a.inPlay && b.inPlay && Closing(a, b) > fastest) {
                    fastest = Closing(a, b);
                    first = &a;
                    second = &b;
                }
        if (first == nullptr)
            return;
        Collide(*first, *second);
    }
}

bool AnyMoving(const Stones &stones)
{
    for (const Stone &s : stones)
        if (s.inPlay && s.moving)
            return true;
    return false;
}

}  // namespace

void Play(Stones &stones, double step)
{
    for (int n = 0; n < STEP_LIMIT && AnyMoving(stones); ++n) {
        ResolveEvents(stones);
        Stones next = Advanced(stones, step);
        if (HasEvent(next)) {
            double low = 0.0;
            double high = step;
            for (int i = 0; i < 60; ++i) {
                const double middle = 0.5 * (low + high);
                if (HasEvent(Advanced(stones, middle)))
                    high = middle;
                else
                    low = middle;
            }
            next = Advanced(stones, high);
        }
        stones = next;
    }
}

Stones Throw(const GameState &state, ShotVector shot, int delivered, double step)
{
    Stones stones{};
    for (int k = 0; k < 16; ++k) {
        const auto x = static_cast<double>(state.stones[k][0]);
        const auto y = static_cast<double>(state.stones[k][1]);
        const bool onSheet = x > RADIUS && x < WIDTH - RADIUS && y > BACK_LIMIT && y < RELEASE_Y;
        stones[static_cast<std::size_t>(k)] = {x, y, 0.0, 0.0, 0, k != delivered && onSheet, false};
    }
    stones[static_cast<std::size_t>(delivered)] = {
        RELEASE_X, RELEASE_Y, static_cast<double>(shot.vx), static_cast<double>(shot.vy), shot.spin == 0 ? -1 : 1,
        true,      true};
    Play(stones, step);
    return stones;
}

}  // namespace reference

#include "sheet_play.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "sheet_constants.h"

namespace tessival {
namespace {

constexpr double CONTACT_DISTANCE = 2.0 * STONE_RADIUS;
constexpr double GAP_TOLERANCE = 1e-9;    // m: a gap this small is a contact
constexpr double CLOSING_TOLERANCE = 1e-9; // m/s: slower approaches are not contacts
constexpr double SMALLEST_STEP = 1e-9;     // s
constexpr int STEP_LIMIT = 100000;
constexpr int CONTACTS_PER_INSTANT = 1000;

double Dot(Complex a, Complex b) { return a.real() * b.real() + a.imag() * b.imag(); }
double Length(Complex a) { return std::sqrt(Dot(a, a)); }

// Earliest time at which h + rate t - bound t^2 / 2 reaches 0, h > 0: a gap that
// starts at h and shrinks at rate -rate cannot close sooner when its second
// derivative is at least -bound.
double TimeToClose(double h, double rate, double bound) {
    const double root = std::sqrt(rate * rate + 2.0 * bound * h);
    if (rate < 0.0) return 2.0 * h / (root - rate);
    return (rate + root) / bound;
}

// Safe step for a gap h with rate of change `rate` (negative while closing).
double GapStep(double h, double rate, double bound) {
    if (h > GAP_TOLERANCE) return TimeToClose(h, rate, bound);
    return std::max(rate / bound, SMALLEST_STEP);
}

struct Boundary {
    double gap;
    double rate;
};

// Distances of a centre to where the stone leaves the sheet, with their rates.
std::array<Boundary, 4> Boundaries(const Kinematics &k) {
    const double x = k.position.real();
    const double y = k.position.imag();
    const double vx = k.velocity.real();
    const double vy = k.velocity.imag();
    return {{{x - STONE_RADIUS, vx},
             {SHEET_WIDTH - STONE_RADIUS - x, -vx},
             {y - (BACK_LINE_Y - STONE_RADIUS), vy},
             {RELEASE_Y - y, -vy}}};
}

bool Leaving(const Kinematics &k) {
    for (const Boundary &b : Boundaries(k)) {
        if (b.gap < -GAP_TOLERANCE) return true;
        if (b.gap <= GAP_TOLERANCE && b.rate < 0.0) return true;
    }
    return false;
}

double Acceleration(const SheetStone &stone) {
    return stone.moving ? AccelerationBound(stone.run.curl) : 0.0;
}

void Record(Sheet &sheet, int index) {
    if (sheet.path != nullptr && index == sheet.delivered) sheet.path->runs.push_back(sheet.stones[index].run);
}

void Restart(Sheet &sheet, int index, Complex velocity) {
    SheetStone &stone = sheet.stones[index];
    // A stone keeps its curl only while it keeps moving.
    const int curl = stone.moving ? stone.run.curl : 0;
    stone.run = StartRun(stone.now.position, velocity, curl, sheet.time);
    stone.now = {stone.now.position, velocity};
    stone.moving = stone.run.speed > 0.0;
    if (!stone.moving) stone.now.velocity = {0.0, 0.0};
    stone.disturbed = true;
    Record(sheet, index);
}

void RemoveLeavers(Sheet &sheet) {
    for (int i = 0; i < STONE_COUNT; ++i) {
        SheetStone &stone = sheet.stones[i];
        if (!stone.moving || !Leaving(stone.now)) continue;
        stone.inPlay = false;
        stone.moving = false;
        if (sheet.path != nullptr && i == sheet.delivered) {
            sheet.path->removed = true;
            sheet.path->endTime = sheet.time;
        }
    }
}

struct Contact {
    int first = -1;
    int second = -1;
    Complex normal;  // unit, from first to second
    double rate = 0.0;
};

// The contact that closes fastest now, if any.
Contact ClosingContact(const Sheet &sheet) {
    Contact best;
    for (int i = 0; i < STONE_COUNT; ++i) {
        const SheetStone &a = sheet.stones[i];
        if (!a.inPlay) continue;
        for (int j = i + 1; j < STONE_COUNT; ++j) {
            const SheetStone &b = sheet.stones[j];
            if (!b.inPlay || !(a.moving || b.moving)) continue;
            const Complex offset = b.now.position - a.now.position;
            const double reach = CONTACT_DISTANCE + GAP_TOLERANCE;
            if (Dot(offset, offset) > reach * reach) continue;
            const double distance = Length(offset);
            if (!(distance > 0.0)) continue;
            const Complex normal = offset / distance;
            const double rate = Dot(b.now.velocity - a.now.velocity, normal);
            if (rate < -CLOSING_TOLERANCE && rate < best.rate) best = {i, j, normal, rate};
        }
    }
    return best;
}

void Collide(Sheet &sheet, const Contact &contact) {
    const Complex va = sheet.stones[contact.first].now.velocity;
    const Complex vb = sheet.stones[contact.second].now.velocity;
    const double na = Dot(va, contact.normal);
    const double nb = Dot(vb, contact.normal);
    // Equal masses: the normal parts exchange, less the restitution loss.
    const double newA = 0.5 * ((1.0 - RESTITUTION) * na + (1.0 + RESTITUTION) * nb);
    const double newB = 0.5 * ((1.0 + RESTITUTION) * na + (1.0 - RESTITUTION) * nb);
    Restart(sheet, contact.first, va + (newA - na) * contact.normal);
    Restart(sheet, contact.second, vb + (newB - nb) * contact.normal);
    if (contact.first == sheet.delivered || contact.second == sheet.delivered) sheet.deliveredTouched = true;
}

void ResolveInstant(Sheet &sheet) {
    RemoveLeavers(sheet);
    for (int round = 0; round < CONTACTS_PER_INSTANT; ++round) {
        const Contact contact = ClosingContact(sheet);
        if (contact.first < 0) return;
        Collide(sheet, contact);
        RemoveLeavers(sheet);
    }
}

// The longest step in which no contact can begin and no stone can leave the sheet.
double SafeStep(const Sheet &sheet, double untilAllStop) {
    double step = untilAllStop;
    for (int i = 0; i < STONE_COUNT; ++i) {
        const SheetStone &a = sheet.stones[i];
        if (!a.moving) continue;
        const double boundA = Acceleration(a);
        for (const Boundary &b : Boundaries(a.now)) step = std::min(step, GapStep(b.gap, b.rate, boundA));
        for (int j = 0; j < STONE_COUNT; ++j) {
            const SheetStone &b = sheet.stones[j];
            if (j == i || !b.inPlay || (b.moving && j < i)) continue;
            const Complex offset = b.now.position - a.now.position;
            const double distance = Length(offset);
            if (!(distance > 0.0)) {
                step = std::min(step, SMALLEST_STEP);
                continue;
            }
            const double rate = Dot(b.now.velocity - a.now.velocity, offset) / distance;
            step = std::min(step, GapStep(distance - CONTACT_DISTANCE, rate, boundA + Acceleration(b)));
        }
    }
    return std::max(step, SMALLEST_STEP);
}

void Advance(Sheet &sheet, double time) {
    sheet.time = time;
    for (SheetStone &stone : sheet.stones) {
        if (!stone.moving) continue;
        stone.now = KinematicsAt(stone.run, time);
        if (time >= stone.run.stopTime) {
            stone.moving = false;
            stone.now.velocity = {0.0, 0.0};
        }
    }
}

double LatestStop(const Sheet &sheet) {
    double latest = -std::numeric_limits<double>::infinity();
    for (const SheetStone &stone : sheet.stones)
        if (stone.moving) latest = std::max(latest, stone.run.stopTime);
    return latest;
}

void FreezeMoving(Sheet &sheet) {
    for (int i = 0; i < STONE_COUNT; ++i) {
        if (!sheet.stones[i].moving) continue;
        Restart(sheet, i, {0.0, 0.0});
    }
}

}  // namespace

bool OnSheet(Complex position) {
    const double x = position.real();
    const double y = position.imag();
    return x > STONE_RADIUS && x < SHEET_WIDTH - STONE_RADIUS && y > BACK_LINE_Y - STONE_RADIUS &&
           y < RELEASE_Y;
}

void PlaceAtRest(SheetStone &stone, Complex position) {
    stone.run = StartRun(position, {0.0, 0.0}, 0, 0.0);
    stone.now = {position, {0.0, 0.0}};
    stone.inPlay = true;
    stone.moving = false;
    stone.disturbed = false;
}

void Launch(Sheet &sheet, int index, Complex position, Complex velocity, int curl) {
    SheetStone &stone = sheet.stones[index];
    stone.run = StartRun(position, velocity, curl, sheet.time);
    stone.now = {position, stone.run.heading * stone.run.speed};
    stone.inPlay = true;
    stone.moving = stone.run.speed > 0.0;
    stone.disturbed = true;
    Record(sheet, index);
}

void PlayUntilRest(Sheet &sheet) {
    for (int step = 0; step < STEP_LIMIT; ++step) {
        ResolveInstant(sheet);
        const double latestStop = LatestStop(sheet);
        if (latestStop == -std::numeric_limits<double>::infinity()) break;
        const double next = sheet.time + SafeStep(sheet, latestStop - sheet.time);
        Advance(sheet, next >= latestStop ? std::max(latestStop, sheet.time) : next);
    }
    FreezeMoving(sheet);
    if (sheet.path != nullptr && !sheet.path->removed) sheet.path->endTime = sheet.path->runs.back().stopTime;
}

}  // namespace tessival

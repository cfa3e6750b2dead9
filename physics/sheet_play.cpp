#include "sheet_play.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "sheet_area.h"
#include "sheet_constants.h"

namespace tessival {
namespace {

constexpr double NEVER = std::numeric_limits<double>::infinity();
constexpr double CONTACT_DISTANCE = rules::CONTACT_DISTANCE;
constexpr double GAP_TOLERANCE = 1e-9;      // m: a gap this small is a contact
constexpr double CLOSING_TOLERANCE = 1e-9;  // m/s: slower approaches are not contacts
constexpr double SMALLEST_STEP = 1e-6;      // s: a touching pair may close this long unseen, by < 1e-12 m
constexpr int EVENT_LIMIT = 20000;
// Stones overlapping deeper than this (only ever given so) pass through each
// other: contacts act at touching, and deep overlaps would make them chatter.
constexpr double OVERLAP_IGNORED = rules::OVERLAP_IGNORED;  // m
constexpr double SEPARATION_FLOOR = 1e-3;                   // m/s: least parting speed after a contact

double Dot(Complex a, Complex b)
{
    return a.real() * b.real() + a.imag() * b.imag();
}
double Length(Complex a)
{
    return std::sqrt(Dot(a, a));
}

// Earliest time at which h + rate t - bound t^2 / 2 reaches 0, for h > 0: a gap
// whose second derivative is at least -bound cannot close sooner. The distance
// between centres qualifies, its second derivative being the relative
// acceleration along the line of centres plus a non-negative term.
double TimeToClose(double h, double rate, double bound)
{
    const double root = std::sqrt(rate * rate + 2.0 * bound * h);
    if (rate < 0.0)
        return 2.0 * h / (root - rate);
    return (rate + root) / bound;
}

// Whole path still to run by a stone at this speed.
double PathLeft(double speed)
{
    return speed * speed / (2.0 * DECELERATION);
}

// Earliest time at which stones with these speeds, and pathLeft to run between
// them, can have run a total path of h: speeds only fall, at DECELERATION each.
double TimeToRun(double h, double speedA, double speedB, double pathLeft)
{
    if (h >= pathLeft)
        return NEVER;
    const double speeds = speedA + speedB;
    const double slowest = speedB > 0.0 ? std::min(speedA, speedB) : speedA;
    const double decelerations = speedB > 0.0 ? 2.0 * DECELERATION : DECELERATION;
    const double discriminant = speeds * speeds - 2.0 * decelerations * h;
    if (discriminant < 0.0)
        return h / speeds;
    const double time = 2.0 * h / (speeds + std::sqrt(discriminant));
    return time <= slowest / DECELERATION ? time : h / speeds;
}

// A safe time step for a gap h changing at `rate` (negative while closing).
double GapStep(double h, double rate, double bound, double speedA, double speedB, double pathLeft)
{
    if (!(h > GAP_TOLERANCE))
        return std::max(rate / bound, SMALLEST_STEP);
    const double running = TimeToRun(h, speedA, speedB, pathLeft);
    return running == NEVER ? NEVER : std::max(TimeToClose(h, rate, bound), running);
}

// The safe time for a gap h changing at `rate` (negative while closing), or
// NEVER when it is not before `stop`: a gap within GAP_TOLERANCE is measured
// again after a short step, any other cannot close sooner than both the
// running and the closing time. Rounding is monotonic, so when the running
// time alone reaches the stop the closing time is not needed.
double GapSafeUntil(double time, double stop, double h, double rate, double bound, double speedA, double speedB,
                    double pathLeft)
{
    double until;
    if (!(h > GAP_TOLERANCE)) {
        until = time + std::max(rate / bound, SMALLEST_STEP);
    } else {
        const double running = TimeToRun(h, speedA, speedB, pathLeft);
        if (time + running >= stop)
            return NEVER;
        until = time + std::max(TimeToClose(h, rate, bound), running);
    }
    return until >= stop ? NEVER : until;
}

// False when a stone at rest at `offset` from a moving one cannot be reached by
// it. What is left of a free run of length L lies within L ahead of the current
// heading and within CURL_RATIO * L / 2 across it: the heading turns by
// CURL_RATIO * ln(u0 / u), and the integral of u * CURL_RATIO * ln(u0 / u) over
// the rest of the run is exactly that.
bool WithinRemainingPath(Complex offset, const Kinematics &moving, double path, int curl)
{
    const double side = (curl == 0 ? 0.0 : 0.5 * CURL_RATIO * path) + CONTACT_DISTANCE + GAP_TOLERANCE;
    const double along = Dot(offset, moving.velocity);  // scaled by the speed
    const double across = offset.imag() * moving.velocity.real() - offset.real() * moving.velocity.imag();
    return along <= (path + side) * moving.speed && along >= -side * moving.speed &&
           std::abs(across) <= side * moving.speed;
}

struct Boundary {
    double gap;
    double rate;
};

// Distances of a centre to where the stone leaves the sheet, with their rates.
std::array<Boundary, 4> Boundaries(const Kinematics &k)
{
    const double x = k.position.real();
    const double y = k.position.imag();
    const double vx = k.velocity.real();
    const double vy = k.velocity.imag();
    return {{{x - STONE_RADIUS, vx},
             {SHEET_WIDTH - STONE_RADIUS - x, -vx},
             {y - (BACK_LINE_Y - STONE_RADIUS), vy},
             {RELEASE_Y - y, -vy}}};
}

bool Leaving(const Kinematics &k)
{
    for (const Boundary &b : Boundaries(k)) {
        if (b.gap < -GAP_TOLERANCE)
            return true;
        if (b.gap <= GAP_TOLERANCE && b.rate < 0.0)
            return true;
    }
    return false;
}

void SetMoving(Sheet &sheet, int index, bool moving)
{
    sheet.stones[index].moving = moving;
    const std::uint32_t bit = 1u << index;
    sheet.movingMask = moving ? sheet.movingMask | bit : sheet.movingMask & ~bit;
}

// The lowest moving stone from index `from` (0 ..STONE_COUNT) on, as the flags
// stand now; STONE_COUNT when there is none.
int NextMoving(const Sheet &sheet, int from)
{
    const std::uint32_t onward = sheet.movingMask & ~((1u << from) - 1u);
    return onward == 0 ? STONE_COUNT : std::countr_zero(onward);
}

// Brings a moving stone's kinematics to the sheet's time.
void Advance(Sheet &sheet, int index)
{
    SheetStone &stone = sheet.stones[index];
    stone.now = KinematicsAt(stone.run, sheet.time);
    stone.nowTime = sheet.time;
    if (sheet.time >= stone.run.stopTime) {
        SetMoving(sheet, index, false);
        stone.now.velocity = {0.0, 0.0};
        stone.now.speed = 0.0;
    }
    stone.pathLeft = PathLeft(stone.now.speed);
}

// The stone's kinematics at the sheet's time, computed once per time.
const Kinematics &Now(Sheet &sheet, int index)
{
    SheetStone &stone = sheet.stones[index];
    if (stone.moving && stone.nowTime != sheet.time)
        Advance(sheet, index);
    return stone.now;
}

double Acceleration(const SheetStone &stone)
{
    return stone.moving ? stone.run.accelerationBound : 0.0;
}

double Speed(const SheetStone &stone)
{
    return stone.moving ? stone.now.speed : 0.0;
}

// PathLeft(Speed(stone)), kept with the stone's kinematics.
double PathLeftOf(const SheetStone &stone)
{
    return stone.moving ? stone.pathLeft : 0.0;
}

double StopTime(const SheetStone &stone)
{
    return stone.moving ? stone.run.stopTime : -NEVER;
}

double LeaveSafeUntil(Sheet &sheet, int index)
{
    const SheetStone &stone = sheet.stones[index];
    if (!stone.inPlay)
        return NEVER;
    const Kinematics &now = Now(sheet, index);
    if (!stone.moving)
        return NEVER;
    if (Leaving(now))
        return sheet.time;
    const double bound = Acceleration(stone);
    const double speed = Speed(stone);
    double step = NEVER;
    const double path = PathLeftOf(stone);
    for (const Boundary &b : Boundaries(now))
        step = std::min(step, GapStep(b.gap, b.rate, bound, speed, 0.0, path));
    const double until = sheet.time + std::max(step, SMALLEST_STEP);
    return until >= stone.run.stopTime ? NEVER : until;
}

struct Contact {
    int first = -1;
    int second = -1;
    Complex normal;  // unit, from first to second
    double rate = 0.0;
    double gap = 0.0;
};

Contact Measure(Sheet &sheet, int i, int j)
{
    const Kinematics &a = Now(sheet, i);
    const Kinematics &b = Now(sheet, j);
    const Complex offset = b.position - a.position;
    const double distance = Length(offset);
    Contact contact{i, j, {0.0, 0.0}, 0.0, distance - CONTACT_DISTANCE};
    if (distance > 0.0) {
        contact.normal = offset * (1.0 / distance);
        contact.rate = Dot(b.velocity - a.velocity, contact.normal);
    }
    return contact;
}

bool Touching(const Contact &c)
{
    return c.gap <= GAP_TOLERANCE && c.gap >= -OVERLAP_IGNORED && c.rate < -CLOSING_TOLERANCE;
}

// PairSafeUntil of a pair that may meet on what is left of its paths.
double MeetingPairSafeUntil(Sheet &sheet, int i, int j, double pathA, double pathB)
{
    const SheetStone &a = sheet.stones[i];
    const SheetStone &b = sheet.stones[j];
    const Contact contact = Measure(sheet, i, j);
    if (contact.normal == Complex(0.0, 0.0))
        return sheet.time + SMALLEST_STEP;  // centres coincide
    if (Touching(contact))
        return sheet.time;
    const double speedA = Speed(a);
    const double speedB = Speed(b);
    if (contact.gap < -OVERLAP_IGNORED) {
        // The overlap cannot shrink faster than the sum of the speeds.
        const double until = sheet.time + std::max((-OVERLAP_IGNORED - contact.gap) / (speedA + speedB), SMALLEST_STEP);
        return until >= std::max(StopTime(a), StopTime(b)) ? NEVER : until;
    }
    return GapSafeUntil(sheet.time, std::max(StopTime(a), StopTime(b)), contact.gap, contact.rate,
                        Acceleration(a) + Acceleration(b), std::max(speedA, speedB), std::min(speedA, speedB),
                        pathA + pathB);
}

// The cheap tests first, inline: most pairs are culled by them.
inline double PairSafeUntil(Sheet &sheet, int i, int j)
{
    const SheetStone &a = sheet.stones[i];
    const SheetStone &b = sheet.stones[j];
    if (!a.inPlay || !b.inPlay)
        return NEVER;
    const Kinematics &ka = Now(sheet, i);
    const Kinematics &kb = Now(sheet, j);
    if (!a.moving && !b.moving)
        return NEVER;
    // Too far apart to meet on what is left of their paths.
    const double pathA = PathLeftOf(a);
    const double pathB = PathLeftOf(b);
    const double reach = CONTACT_DISTANCE + GAP_TOLERANCE + pathA + pathB;
    const Complex offset = kb.position - ka.position;
    if (Dot(offset, offset) > reach * reach)
        return NEVER;
    if (!b.moving && !WithinRemainingPath(offset, ka, pathA, a.run.curl))
        return NEVER;
    if (!a.moving && !WithinRemainingPath(-offset, kb, pathB, b.run.curl))
        return NEVER;
    return MeetingPairSafeUntil(sheet, i, j, pathA, pathB);
}

void SetPair(Sheet &sheet, int i, int j, double until)
{
    sheet.pairSafeUntil[i][j] = until;
    sheet.pairSafeUntil[j][i] = until;
    sheet.stoneDueStale[i] = true;
    sheet.stoneDueStale[j] = true;
}

void SetLeave(Sheet &sheet, int index, double until)
{
    sheet.leaveSafeUntil[index] = until;
    sheet.stoneDueStale[index] = true;
}

double StoneDue(Sheet &sheet, int index)
{
    if (sheet.stoneDueStale[index]) {
        double due = sheet.leaveSafeUntil[index];
        for (const double until : sheet.pairSafeUntil[index])
            due = std::min(due, until);
        sheet.stoneDue[index] = due;
        sheet.stoneDueStale[index] = false;
    }
    return sheet.stoneDue[index];
}

// Schedules the stone anew, with every pair but the one with `skipped` (-1 for none).
void RefreshStone(Sheet &sheet, int index, int skipped)
{
    SetLeave(sheet, index, LeaveSafeUntil(sheet, index));
    for (int j = 0; j < STONE_COUNT; ++j)
        if (j != index && j != skipped)
            SetPair(sheet, index, j, PairSafeUntil(sheet, index, j));
}

void Record(Sheet &sheet, int index)
{
    if (sheet.trace != nullptr)
        sheet.trace->stones[index].runs.push_back(sheet.stones[index].run);
}

void Restart(Sheet &sheet, int index, Complex velocity)
{
    SheetStone &stone = sheet.stones[index];
    Now(sheet, index);
    // A stone keeps its curl only while it keeps moving.
    const int curl = stone.moving ? stone.run.curl : 0;
    stone.run = StartRun(stone.now.position, velocity, curl, sheet.time);
    SetMoving(sheet, index, stone.run.speed > 0.0);
    stone.now = stone.moving ? Kinematics{stone.now.position, velocity, stone.run.speed}
                             : Kinematics{stone.now.position, {0.0, 0.0}, 0.0};
    stone.nowTime = sheet.time;
    stone.pathLeft = PathLeft(stone.now.speed);
    stone.disturbed = true;
    Record(sheet, index);
}

void Remove(Sheet &sheet, int index)
{
    sheet.stones[index].inPlay = false;
    SetMoving(sheet, index, false);
    SetLeave(sheet, index, NEVER);
    for (int j = 0; j < STONE_COUNT; ++j)
        SetPair(sheet, index, j, NEVER);
    if (sheet.trace != nullptr) {
        sheet.trace->stones[index].removed = true;
        sheet.trace->stones[index].endTime = sheet.time;
    }
}

void Collide(Sheet &sheet, const Contact &contact)
{
    const Complex va = sheet.stones[contact.first].now.velocity;
    const Complex vb = sheet.stones[contact.second].now.velocity;
    const double na = Dot(va, contact.normal);
    const double nb = Dot(vb, contact.normal);
    // Equal masses: the normal parts exchange, less the restitution loss.
    double newA = 0.5 * ((1.0 - RESTITUTION) * na + (1.0 + RESTITUTION) * nb);
    double newB = 0.5 * ((1.0 + RESTITUTION) * na + (1.0 - RESTITUTION) * nb);
    if (newB - newA < SEPARATION_FLOOR) {
        // Stones pressed together bounce apart rather than chatter at ever
        // smaller intervals; momentum is kept.
        newA = 0.5 * (na + nb - SEPARATION_FLOOR);
        newB = newA + SEPARATION_FLOOR;
    }
    Restart(sheet, contact.first, va + (newA - na) * contact.normal);
    Restart(sheet, contact.second, vb + (newB - nb) * contact.normal);
    if (contact.first == sheet.delivered || contact.second == sheet.delivered)
        sheet.deliveredTouched = true;
    if (sheet.trace != nullptr)
        sheet.trace->contacts.push_back(
            {sheet.time, std::min(contact.first, contact.second), std::max(contact.first, contact.second)});
    // The pair itself is scheduled once, by the second refresh.
    RefreshStone(sheet, contact.first, contact.second);
    RefreshStone(sheet, contact.second, -1);
}

// The earliest time at which anything may happen; pairs of stones at rest are never due.
double NextDue(Sheet &sheet)
{
    double next = NEVER;
    for (int i = NextMoving(sheet, 0); i < STONE_COUNT; i = NextMoving(sheet, i + 1))
        next = std::min(next, StoneDue(sheet, i));
    return next;
}

// The stones whose pair with stone i is due. Measuring a pair of row i
// changes no other entry of the row, so the row can be read at once.
std::uint32_t DuePairs(const Sheet &sheet, int i)
{
    std::uint32_t due = 0;
    for (int j = 0; j < STONE_COUNT; ++j)
        due |= static_cast<std::uint32_t>(!(sheet.pairSafeUntil[i][j] > sheet.time)) << j;
    return due & ~(1u << i);
}

// Handles what is due now: removals, then the fastest-closing contact; every
// other due pair is measured again.
void HandleDue(Sheet &sheet)
{
    for (int i = NextMoving(sheet, 0); i < STONE_COUNT; i = NextMoving(sheet, i + 1)) {
        if (sheet.leaveSafeUntil[i] > sheet.time)
            continue;
        const double until = LeaveSafeUntil(sheet, i);
        if (until <= sheet.time)
            Remove(sheet, i);
        else
            SetLeave(sheet, i, until);
    }
    Contact fastest;
    for (int i = NextMoving(sheet, 0); i < STONE_COUNT; i = NextMoving(sheet, i + 1)) {
        if (StoneDue(sheet, i) > sheet.time)
            continue;
        for (std::uint32_t due = DuePairs(sheet, i); due != 0; due &= due - 1) {
            const int j = std::countr_zero(due);
            const double until = PairSafeUntil(sheet, i, j);
            SetPair(sheet, i, j, until);
            if (until > sheet.time)
                continue;
            const Contact contact = Measure(sheet, i, j);
            if (Touching(contact) && contact.rate < fastest.rate)
                fastest = contact;
        }
    }
    if (fastest.first >= 0)
        Collide(sheet, fastest);
}

void SettleMoving(Sheet &sheet)
{
    double last = sheet.time;
    for (const SheetStone &stone : sheet.stones)
        last = std::max(last, StopTime(stone));
    sheet.time = last;
    for (int i = 0; i < STONE_COUNT; ++i)
        Now(sheet, i);
}

void FreezeMoving(Sheet &sheet)
{
    for (int i = 0; i < STONE_COUNT; ++i) {
        Now(sheet, i);
        if (sheet.stones[i].moving)
            Restart(sheet, i, {0.0, 0.0});
    }
}

}  // namespace

bool OnSheet(Complex position)
{
    return rules::OnSheet(position.real(), position.imag());
}

void PlaceAtRest(SheetStone &stone, Complex position)
{
    stone.run = RestingRun(position, 0.0);
    stone.now = {position, {0.0, 0.0}, 0.0};
    stone.nowTime = 0.0;
    stone.pathLeft = 0.0;
    stone.inPlay = true;
    stone.moving = false;
    stone.disturbed = false;
}

void Launch(Sheet &sheet, int index, Complex position, Complex velocity, int curl)
{
    SheetStone &stone = sheet.stones[index];
    stone.run = StartRun(position, velocity, curl, sheet.time);
    stone.moving = stone.run.speed > 0.0;
    stone.now = stone.moving ? Kinematics{position, velocity, stone.run.speed} : Kinematics{position, {0.0, 0.0}, 0.0};
    stone.nowTime = sheet.time;
    stone.pathLeft = PathLeft(stone.now.speed);
    stone.inPlay = true;
    stone.disturbed = true;
    Record(sheet, index);
}

void PlayUntilRest(Sheet &sheet)
{
    std::fill(&sheet.pairSafeUntil[0][0], &sheet.pairSafeUntil[0][0] + STONE_COUNT * STONE_COUNT, NEVER);
    std::fill(sheet.leaveSafeUntil, sheet.leaveSafeUntil + STONE_COUNT, NEVER);
    std::fill(sheet.stoneDueStale, sheet.stoneDueStale + STONE_COUNT, true);
    sheet.movingMask = 0;
    for (int i = 0; i < STONE_COUNT; ++i)
        if (sheet.stones[i].moving)
            sheet.movingMask |= 1u << i;
    for (int i = 0; i < STONE_COUNT; ++i)
        if (sheet.stones[i].moving)
            RefreshStone(sheet, i, -1);
    bool settled = false;
    for (int event = 0; event < EVENT_LIMIT && !settled; ++event) {
        const double due = NextDue(sheet);
        settled = due == NEVER;
        if (settled)
            SettleMoving(sheet);
        else {
            sheet.time = std::max(sheet.time, due);
            HandleDue(sheet);
        }
    }
    FreezeMoving(sheet);
    if (sheet.trace == nullptr)
        return;
    for (StoneRuns &stone : sheet.trace->stones)
        if (!stone.removed && !stone.runs.empty())
            stone.endTime = stone.runs.back().stopTime;
}

}  // namespace tessival

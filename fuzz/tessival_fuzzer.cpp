// Arbitrary states, vectors and arguments for the calls of the physics
// library (SimulationWithGenerator and SimulationTraceWithGenerator beside Simulation), checked against what the
// library promises every caller: unusable arguments give 0 and write nothing; a throw leaves finite coordinates,
// every stone on the sheet or at (0, 0), no new overlaps and the other fields as they were; a traced throw plays
// as the untraced one and traces finite paths of 0 or capacity points and its contacts in time order; shot making
// is finite, deterministic and exact for draws into the house.
// Bounded time is the fuzzer's -timeout.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "fuzz_bytes.h"
#include "tessival.h"

namespace {

constexpr double STONE_RADIUS = 0.145;
constexpr double CONTACT_DISTANCE = 2.0 * STONE_RADIUS;
// Rounding resting places to float moves a stone by a few micrometres at most.
constexpr double ROUNDING_SLACK = 1e-4;
constexpr double RELEASE_Y = 33.227;
constexpr double TEE_X = 2.375;
constexpr double TEE_Y = 4.88;
constexpr double HOUSE_RADIUS = 1.83;

constexpr float INF = std::numeric_limits<float>::infinity();
constexpr float NOT_A_NUMBER = std::numeric_limits<float>::quiet_NaN();
constexpr float SPECIAL_VALUES[] = {0.0f,   -0.0f, 1e-30f,  -1e-30f, 1e-45f, 0.145f, 4.605f, 4.75f,
                                    2.905f, 3.05f, 11.135f, 11.28f,  4.88f,  2.375f, 33.2f,  33.227f,
                                    33.23f, 1e10f, -1e10f,  3e38f,   -3e38f, INF,    -INF,   NOT_A_NUMBER};

// The call under test, printed when a promise breaks.
char callText[4096] = "";

[[noreturn]] void Fail(const char *promise)
{
    std::fprintf(stderr, "%s\nbroken promise: %s\n", callText, promise);
    std::abort();
}

void DescribeThrow(const GameState &state, const ShotVector &shot, float randomError, std::uint32_t seed,
                   std::int32_t stoneIndex)
{
    int used = std::snprintf(callText, sizeof callText,
                             "Simulation(shotIndex %d, shot {%a, %a, %u}, error %a, seed %u, "
                             "stoneIndex %d) on stones",
                             state.shotIndex, static_cast<double>(shot.vx), static_cast<double>(shot.vy), shot.spin,
                             static_cast<double>(randomError), seed, stoneIndex);
    for (int k = 0; k < 16 && used > 0 && used < static_cast<int>(sizeof callText); ++k)
        used += std::snprintf(callText + used, sizeof callText - static_cast<std::size_t>(used), "\n  %2d: %a, %a", k,
                              static_cast<double>(state.stones[k][0]), static_cast<double>(state.stones[k][1]));
}

void DescribeTarget(const char *call, const ShotTarget &target, float power)
{
    std::snprintf(callText, sizeof callText, "%s(target {%a, %a, %u}, power %a)", call, static_cast<double>(target.x),
                  static_cast<double>(target.y), target.spin, static_cast<double>(power));
}

void Require(bool kept, const char *promise)
{
    if (!kept)
        Fail(promise);
}

float Coordinate(FuzzBytes &in, float low, float high)
{
    switch (in.Byte() % 4) {
    case 0:
        return in.Between(low, high);
    case 1:
        return in.OneOf(SPECIAL_VALUES);
    case 2:
        return in.Raw<float>();
    default:
        return in.Between(-1000.0f, 1000.0f);
    }
}

void PlaceStone(FuzzBytes &in, GameState &state, int k)
{
    float *stone = state.stones[k];
    switch (in.Byte() % 8) {
    case 0:
        stone[0] = 0.0f;
        stone[1] = 0.0f;
        return;
    case 1:
    case 2:  // in and around the house, where stones gather
        stone[0] = in.Between(0.3f, 4.45f);
        stone[1] = in.Between(2.9f, 7.0f);
        return;
    case 3: {  // touching, overlapping or just apart from the stone before it
        const float *other = state.stones[k == 0 ? 15 : k - 1];
        const float distance = in.Between(0.0f, 0.35f);
        const float angle = in.Between(0.0f, 6.2831853f);
        stone[0] = other[0] + distance * std::cos(angle);
        stone[1] = other[1] + distance * std::sin(angle);
        return;
    }
    case 4:
        stone[0] = in.Between(0.145f, 4.605f);
        stone[1] = in.Between(2.905f, 33.227f);
        return;
    case 5:
        stone[0] = in.OneOf(SPECIAL_VALUES);
        stone[1] = in.OneOf(SPECIAL_VALUES);
        return;
    default:
        stone[0] = Coordinate(in, -0.5f, 5.25f);
        stone[1] = Coordinate(in, 2.0f, 34.0f);
        return;
    }
}

std::uint8_t Spin(FuzzBytes &in)
{
    const std::uint8_t byte = in.Byte();
    return byte < 240 ? static_cast<std::uint8_t>(byte % 2) : byte;
}

ShotTarget Target(FuzzBytes &in)
{
    ShotTarget target;
    std::memset(&target, 0, sizeof target);
    target.x = Coordinate(in, -0.5f, 5.25f);
    target.y = Coordinate(in, 2.0f, 34.0f);
    target.spin = Spin(in);
    return target;
}

float Power(FuzzBytes &in)
{
    switch (in.Byte() % 4) {
    case 0:
        return 12.0f;
    case 1:
        return in.Between(0.0f, 40.0f);
    case 2:
        return in.OneOf(SPECIAL_VALUES);
    default:
        return in.Raw<float>();
    }
}

ShotVector Vector(FuzzBytes &in)
{
    ShotVector shot;
    std::memset(&shot, 0, sizeof shot);
    switch (in.Byte() % 4) {
    case 0:
        CreateShot(Target(in), &shot);
        break;
    case 1:
        CreateHitShot(Target(in), Power(in), &shot);
        break;
    case 2:
        shot.vx = in.Between(-1.0f, 1.0f);
        shot.vy = in.Between(-8.0f, 0.5f);
        break;
    default:
        shot.vx = Coordinate(in, -3.0f, 3.0f);
        shot.vy = Coordinate(in, -40.0f, 1.0f);
        break;
    }
    shot.spin = Spin(in);
    return shot;
}

float RandomError(FuzzBytes &in)
{
    switch (in.Byte() % 4) {
    case 0:
        return 0.0f;
    case 1:
        return 0.145f;
    case 2:
        return in.Between(0.0f, 3.0f);
    default:
        return in.OneOf(SPECIAL_VALUES);
    }
}

std::int32_t StoneIndex(FuzzBytes &in)
{
    switch (in.Byte() % 4) {
    case 0:
    case 1:
        return -1;
    case 2:
        return static_cast<std::int32_t>(in.Byte() % 20) - 2;
    default:
        return in.Raw<std::int32_t>();
    }
}

std::int32_t ShotIndex(FuzzBytes &in)
{
    const std::uint8_t mode = in.Byte();
    return mode < 224 ? static_cast<std::int32_t>(mode % 18) - 1 : in.Raw<std::int32_t>();
}

GameState State(FuzzBytes &in)
{
    GameState state;
    std::memset(&state, 0, sizeof state);
    state.shotIndex = ShotIndex(in);
    state.currentEnd = in.Raw<std::int32_t>();
    state.lastEnd = in.Raw<std::int32_t>();
    for (std::int32_t &score : state.endScores)
        score = static_cast<std::int8_t>(in.Byte());
    state.sideFlag = in.Byte();
    // The filler after sideFlag must come back as it was too.
    std::memset(reinterpret_cast<unsigned char *>(&state) + 53, in.Byte(), 3);
    for (int k = 0; k < 16; ++k)
        PlaceStone(in, state, k);
    return state;
}

bool OutOfPlay(const float stone[2])
{
    return stone[0] == 0.0f && stone[1] == 0.0f;
}

bool OnSheet(const float stone[2])
{
    const auto x = static_cast<double>(stone[0]);
    const auto y = static_cast<double>(stone[1]);
    return x > STONE_RADIUS && x < 4.75 - STONE_RADIUS && y > 3.05 - STONE_RADIUS && y < RELEASE_Y;
}

bool FiniteOnSheet(const float stone[2])
{
    return std::isfinite(stone[0]) && std::isfinite(stone[1]) && OnSheet(stone);
}

double Distance(const float a[2], const float b[2])
{
    return std::hypot(static_cast<double>(a[0]) - static_cast<double>(b[0]),
                      static_cast<double>(a[1]) - static_cast<double>(b[1]));
}

bool Same(const void *a, const void *b, std::size_t size)
{
    return std::memcmp(a, b, size) == 0;
}

// Where stone k starts the throw: the delivered one at the release, the others
// where given when that is on the sheet. False for stones that take no part.
bool StartOfThrow(const GameState &given, int k, int delivered, float start[2])
{
    if (k == delivered) {
        start[0] = 2.375f;
        start[1] = static_cast<float>(RELEASE_Y);
        return true;
    }
    start[0] = given.stones[k][0];
    start[1] = given.stones[k][1];
    return !OutOfPlay(start) && FiniteOnSheet(start);
}

// Stones that start the throw overlapping, a stone lying at the release among them.
bool GivenOverlapping(const GameState &given, int i, int j, int delivered)
{
    float first[2];
    float second[2];
    return StartOfThrow(given, i, delivered, first) && StartOfThrow(given, j, delivered, second) &&
           Distance(first, second) < CONTACT_DISTANCE + ROUNDING_SLACK;
}

void CheckThrow(const GameState &given, const GameState &after, int delivered)
{
    Require(after.shotIndex == delivered + 1, "shotIndex becomes the delivered index + 1");
    Require(Same(reinterpret_cast<const unsigned char *>(&given) + 4,
                 reinterpret_cast<const unsigned char *>(&after) + 4, 52),
            "the fields other than shotIndex and stones are left as they were");
    for (int k = 0; k < 16; ++k) {
        const float *stone = after.stones[k];
        Require(OutOfPlay(stone) || FiniteOnSheet(stone), "every stone finite, on the sheet or at (0, 0)");
        if (k != delivered && OutOfPlay(given.stones[k]))
            Require(Same(stone, given.stones[k], sizeof(float) * 2), "stones out of play come back exactly as given");
    }
    for (int i = 0; i < 16; ++i) {
        for (int j = i + 1; j < 16; ++j) {
            if (OutOfPlay(after.stones[i]) || OutOfPlay(after.stones[j]))
                continue;
            if (Distance(after.stones[i], after.stones[j]) >= CONTACT_DISTANCE - ROUNDING_SLACK)
                continue;
            if (!GivenOverlapping(given, i, j, delivered)) {
                std::fprintf(stderr, "stones %d (%.9g, %.9g) and %d (%.9g, %.9g)\n", i,
                             static_cast<double>(after.stones[i][0]), static_cast<double>(after.stones[i][1]), j,
                             static_cast<double>(after.stones[j][0]), static_cast<double>(after.stones[j][1]));
                Fail("no two stones in play overlap that were not given so");
            }
        }
    }
}

// The caller's side of a traced throw: buffers filled with a pattern no call
// writes, and a description of what the call may do with them.
struct TraceBuffers {
    static constexpr float MARK = -12345.0f;
    std::int32_t capacity = 2;
    std::int32_t contactCapacity = 0;
    bool nullTrace = false;
    bool nullPoints = false;
    bool nullContacts = false;
    float points[16 * 41][2];
    TessivalContact contacts[8];
    TessivalTrace trace;

    explicit TraceBuffers(FuzzBytes &in)
    {
        const std::uint8_t size = in.Byte();
        capacity = size < 224 ? 2 + size % 40 : static_cast<std::int32_t>(size % 3) - 1;
        const std::uint8_t room = in.Byte();
        contactCapacity = room < 240 ? room % 9 : -1;
        const std::uint8_t nulls = in.Byte();
        nullTrace = nulls == 255;
        nullPoints = nulls == 254;
        nullContacts = nulls == 253 || (contactCapacity == 0 && nulls % 2 == 1);
        for (auto &point : points)
            point[0] = point[1] = MARK;
        for (TessivalContact &contact : contacts)
            contact = TessivalContact{MARK, -1, -1};
        std::memset(&trace, 0xA5, sizeof trace);
        trace.capacity = capacity;
        trace.contactCapacity = contactCapacity;
        trace.points = nullPoints ? nullptr : points;
        trace.contacts = nullContacts ? nullptr : contacts;
    }

    bool Usable() const
    {
        return !nullTrace && !nullPoints && capacity >= 2 && contactCapacity >= 0 &&
               (!nullContacts || contactCapacity == 0);
    }
    bool Marked(const float point[2]) const { return point[0] == MARK && point[1] == MARK; }
    const float *Point(int stone, std::int32_t j) const { return points[stone * capacity + j]; }
};

void CheckTracedPaths(const TraceBuffers &buffers, int delivered)
{
    const TessivalTrace &trace = buffers.trace;
    for (int k = 0; k < 16; ++k) {
        const TessivalStonePath &stone = trace.stones[k];
        Require(stone.length == 0 || stone.length == buffers.capacity, "a stone's path has 0 or capacity points");
        Require(stone.leftSheet == 0 || stone.leftSheet == 1, "leftSheet is 0 or 1");
        for (std::int32_t j = 0; j < buffers.capacity; ++j) {
            const float *point = buffers.Point(k, j);
            if (stone.length == 0)
                Require(buffers.Marked(point), "the points of a stone never set moving are left alone");
            else
                Require(std::isfinite(point[0]) && std::isfinite(point[1]), "traced points are finite");
        }
        if (stone.length == 0)
            continue;
        Require(std::isfinite(stone.startTime) && std::isfinite(stone.endTime) && stone.startTime >= 0.0f &&
                    stone.startTime <= stone.endTime,
                "a path runs forward in time from the release on");
    }
    Require(trace.stones[delivered].length == buffers.capacity && trace.stones[delivered].startTime == 0.0f,
            "the delivered stone's path starts at the release");
}

void CheckTracedContacts(const TraceBuffers &buffers)
{
    const TessivalTrace &trace = buffers.trace;
    Require(trace.contactCount >= 0, "the contact count is not negative");
    const std::int32_t written = std::min(trace.contactCount, buffers.contactCapacity);
    for (std::int32_t c = 0; c < buffers.contactCapacity; ++c) {
        const TessivalContact &contact = buffers.contacts[c];
        if (c >= written) {
            Require(contact.time == TraceBuffers::MARK && contact.first == -1,
                    "contacts beyond the count are left alone");
            continue;
        }
        Require(contact.first >= 0 && contact.first < contact.second && contact.second < 16,
                "a contact names two stones, first < second");
        Require(trace.stones[contact.first].length > 0 && trace.stones[contact.second].length > 0,
                "stones in contact were set moving");
        Require(c == 0 || buffers.contacts[c - 1].time <= contact.time, "contacts come in time order");
    }
}

// The traced throw with the same arguments on a generator from the input: it
// accepts what SimulationWithGenerator accepts and a usable trace, and plays as
// it does; with a seed its delivered path is SimulationTrace's.
void FuzzTrace(FuzzBytes &in, const GameState &given, const ShotVector &shot, float randomError, std::uint32_t seed,
               std::int32_t stoneIndex, bool nullState)
{
    TessivalGenerator generator;
    for (std::uint64_t &word : generator.words)
        word = in.Raw<std::uint64_t>();
    TraceBuffers buffers(in);
    const std::size_t described = std::strlen(callText);
    std::snprintf(callText + described, sizeof callText - described,
                  "\ntraced: capacity %d, contactCapacity %d, null trace %d, points %d, contacts %d", buffers.capacity,
                  buffers.contactCapacity, buffers.nullTrace, buffers.nullPoints, buffers.nullContacts);

    GameState plain = given;
    TessivalGenerator plainGenerator = generator;
    const int plainResult =
        SimulationWithGenerator(nullState ? nullptr : &plain, shot, randomError, seed, &plainGenerator, stoneIndex);
    GameState traced = given;
    TessivalGenerator tracedGenerator = generator;
    const TessivalTrace sent = buffers.trace;
    const int result =
        SimulationTraceWithGenerator(nullState ? nullptr : &traced, shot, randomError, seed, &tracedGenerator,
                                     stoneIndex, buffers.nullTrace ? nullptr : &buffers.trace);
    Require(result == (plainResult == 1 && buffers.Usable() ? 1 : 0),
            "SimulationTraceWithGenerator accepts what SimulationWithGenerator accepts, with a usable trace");
    if (result == 0) {
        Require(Same(&traced, &given, sizeof traced), "a call that gives 0 writes nothing");
        Require(Same(&tracedGenerator, &generator, sizeof generator), "a call that gives 0 leaves the generator");
        Require(Same(&buffers.trace, &sent, sizeof sent), "a call that gives 0 leaves the trace");
        for (const auto &point : buffers.points)
            Require(buffers.Marked(point), "a call that gives 0 writes no point");
        return;
    }
    Require(Same(&traced, &plain, sizeof plain), "a traced throw plays as SimulationWithGenerator");
    Require(Same(&tracedGenerator, &plainGenerator, sizeof generator),
            "a traced throw draws as SimulationWithGenerator");
    const int delivered = stoneIndex == -1 ? given.shotIndex : stoneIndex;
    CheckTracedPaths(buffers, delivered);
    CheckTracedContacts(buffers);
    if (seed == 0)
        return;
    float path[41][2];
    std::int32_t length = 0;
    GameState viaTrace = given;
    Require(SimulationTrace(&viaTrace, shot, randomError, seed, stoneIndex, path, buffers.capacity, &length) == 1,
            "SimulationTrace accepts what the traced throw accepts");
    Require(Same(path, buffers.Point(delivered, 0), sizeof(float) * 2 * static_cast<std::size_t>(length)),
            "the delivered stone's path is SimulationTrace's");
}

void FuzzSimulation(FuzzBytes &in)
{
    const GameState given = State(in);
    const ShotVector shot = Vector(in);
    const float randomError = RandomError(in);
    const auto seed = in.Byte() % 2 == 0 ? 0u : in.Raw<std::uint32_t>();
    const std::int32_t stoneIndex = StoneIndex(in);
    const bool nullState = in.Byte() == 255;
    DescribeThrow(given, shot, randomError, seed, stoneIndex);

    const std::int32_t index = stoneIndex == -1 ? given.shotIndex : stoneIndex;
    const bool usable = !nullState && std::isfinite(shot.vx) && std::isfinite(shot.vy) && shot.spin <= 1 &&
                        !(std::isinf(randomError) && randomError > 0.0f) && index >= 0 && index < 16;

    GameState after = given;
    const int result = Simulation(nullState ? nullptr : &after, shot, randomError, seed, stoneIndex);
    // The reentrant call from a generator seeded as the process's is reseeded.
    GameState viaGenerator = given;
    TessivalGenerator generator{};
    const int viaGeneratorResult =
        SimulationWithGenerator(nullState ? nullptr : &viaGenerator, shot, randomError, seed, &generator, stoneIndex);
    Require(viaGeneratorResult == result, "SimulationWithGenerator accepts what Simulation accepts");
    FuzzTrace(in, given, shot, randomError, seed, stoneIndex, nullState);
    if (!usable || result == 0) {
        Require(result == 0, "unusable arguments give 0");
        Require(usable == false, "usable arguments give 1");
        Require(Same(&after, &given, sizeof after), "a call that gives 0 writes nothing");
        Require(Same(&viaGenerator, &given, sizeof after), "a call that gives 0 writes nothing");
        return;
    }
    CheckThrow(given, after, index);
    if (seed != 0 || !(randomError > 0.0f))
        Require(Same(&viaGenerator, &after, sizeof after), "SimulationWithGenerator throws as Simulation does");
    if (seed != 0 || !(randomError > 0.0f)) {
        GameState again = given;
        Simulation(&again, shot, randomError, seed, stoneIndex);
        Require(Same(&again, &after, sizeof after), "the same arguments and generator state give the same throw");
    }
}

bool UsableTarget(const ShotTarget &target)
{
    return std::isfinite(target.x) && std::isfinite(target.y) && target.spin <= 1 &&
           static_cast<double>(target.y) < RELEASE_Y;
}

// Fills a vector with a pattern that no call writes, to see whether it was written.
ShotVector Untouched()
{
    ShotVector shot;
    std::memset(&shot, 0xA5, sizeof shot);
    return shot;
}

void CheckMadeVector(const ShotVector &made, const ShotTarget &target)
{
    Require(std::isfinite(made.vx) && std::isfinite(made.vy), "a made vector is finite");
    Require(made.spin == target.spin, "a made vector has the target's spin");
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(&made);
    Require(bytes[9] == 0 && bytes[10] == 0 && bytes[11] == 0, "the filler of a made vector is zeroed");
}

// A draw into the house on an empty sheet rests within 1 mm of its target.
void CheckDrawRest(const ShotTarget &target, const ShotVector &made)
{
    const double dx = static_cast<double>(target.x) - TEE_X;
    const double dy = static_cast<double>(target.y) - TEE_Y;
    if (dx * dx + dy * dy >= HOUSE_RADIUS * HOUSE_RADIUS)
        return;
    GameState state;
    std::memset(&state, 0, sizeof state);
    Require(Simulation(&state, made, 0.0f, 0, -1) == 1, "a made draw can be thrown");
    const float aim[2] = {target.x, target.y};
    Require(Distance(state.stones[0], aim) < 1e-3, "a draw into the house rests within 1 mm of its target");
}

void FuzzCreateShot(FuzzBytes &in)
{
    const ShotTarget target = Target(in);
    const bool nullShot = in.Byte() == 255;
    DescribeTarget("CreateShot", target, 0.0f);
    ShotVector made = Untouched();
    const ShotVector untouched = made;
    const int result = CreateShot(target, nullShot ? nullptr : &made);
    const bool usable = !nullShot && UsableTarget(target);
    Require(result == (usable ? 1 : 0), "CreateShot gives 1 exactly for usable arguments");
    if (result == 0) {
        Require(Same(&made, &untouched, sizeof made), "a call that gives 0 writes nothing");
        return;
    }
    CheckMadeVector(made, target);
    ShotVector again = Untouched();
    CreateShot(target, &again);
    Require(Same(&again, &made, sizeof made), "CreateShot depends on its arguments only");
    CheckDrawRest(target, made);
}

void FuzzCreateHitShot(FuzzBytes &in)
{
    const ShotTarget target = Target(in);
    const float power = Power(in);
    const bool nullShot = in.Byte() == 255;
    DescribeTarget("CreateHitShot", target, power);
    ShotVector made = Untouched();
    const ShotVector untouched = made;
    const int result = CreateHitShot(target, power, nullShot ? nullptr : &made);
    const bool usable = !nullShot && UsableTarget(target) && std::isfinite(power) && power >= 0.0f;
    Require(result == (usable ? 1 : 0), "CreateHitShot gives 1 exactly for usable arguments");
    if (result == 0) {
        Require(Same(&made, &untouched, sizeof made), "a call that gives 0 writes nothing");
        return;
    }
    CheckMadeVector(made, target);
    ShotVector again = Untouched();
    CreateHitShot(target, power, &again);
    Require(Same(&again, &made, sizeof made), "CreateHitShot depends on its arguments only");
    if (power == 0.0f) {
        ShotVector draw = Untouched();
        CreateShot(target, &draw);
        Require(Same(&draw, &made, sizeof made), "a hit of power 0 is the draw");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzBytes in(data, size);
    switch (in.Byte() % 4) {
    case 0:
        FuzzCreateShot(in);
        break;
    case 1:
        FuzzCreateHitShot(in);
        break;
    default:
        FuzzSimulation(in);
        break;
    }
    return 0;
}

// SimulationTraceWithGenerator plays exactly as SimulationWithGenerator does and
// traces every stone that moved, with the contacts between them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "throw_fixture.h"

namespace {

constexpr float SIGMA = 0.145f;
constexpr float UNTOUCHED = 77.0f;

GameState CrowdedHouse()
{
    GameState state = EmptyState(13);
    for (int k = 0; k < 13; ++k)
        Place(state, k, 1.35f + 0.16f * static_cast<float>(k), 4.1f + 0.43f * static_cast<float>(k % 4));
    return state;
}

const ShotVector SHOTS[] = {Draw(2.375f, 4.88f, 0), Hit(2.2f, 4.6f, 1, 12.0f), Hit(2.6f, 5.0f, 0, 30.0f),
                            Draw(1.9f, 6.1f, 1), Hit(2.4f, 4.3f, 0, 2.5f)};

// One traced throw into buffers of its own, filled beforehand with UNTOUCHED.
struct Traced {
    int result = 0;
    GameState state{};
    TessivalGenerator generator{};
    std::int32_t capacity = 0;
    std::vector<float> points;
    std::vector<TessivalContact> contacts;
    TessivalStonePath stones[16]{};
    std::int32_t contactCount = -1;

    const float *Point(int stone, std::int32_t j) const
    {
        return &points[2 * (static_cast<std::size_t>(stone) * static_cast<std::size_t>(capacity) +
                            static_cast<std::size_t>(j))];
    }
    const float *Last(int stone) const { return Point(stone, capacity - 1); }
};

Traced TraceThrow(const GameState &state, ShotVector shot, float sigma, std::uint32_t seed,
                  const TessivalGenerator &generator, std::int32_t capacity, std::int32_t contactCapacity)
{
    Traced traced;
    traced.state = state;
    traced.generator = generator;
    traced.capacity = capacity;
    traced.points.assign(32 * static_cast<std::size_t>(capacity), UNTOUCHED);
    traced.contacts.assign(static_cast<std::size_t>(contactCapacity), TessivalContact{UNTOUCHED, -7, -7});
    TessivalTrace trace{};
    trace.capacity = capacity;
    trace.contactCapacity = contactCapacity;
    trace.points = reinterpret_cast<float(*)[2]>(traced.points.data());
    trace.contacts = contactCapacity > 0 ? traced.contacts.data() : nullptr;
    traced.result = SimulationTraceWithGenerator(&traced.state, shot, sigma, seed, &traced.generator, -1, &trace);
    std::memcpy(traced.stones, trace.stones, sizeof trace.stones);
    traced.contactCount = trace.contactCount;
    return traced;
}

bool SameGenerator(const TessivalGenerator &a, const TessivalGenerator &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// What every usable call promises of its trace.
void ExpectWellFormedTrace(const Traced &traced)
{
    for (int k = 0; k < 16; ++k) {
        const TessivalStonePath &stone = traced.stones[k];
        ASSERT_TRUE(stone.length == 0 || stone.length == traced.capacity) << k;
        for (std::int32_t j = 0; j < stone.length; ++j)
            EXPECT_TRUE(std::isfinite(traced.Point(k, j)[0]) && std::isfinite(traced.Point(k, j)[1])) << k;
        EXPECT_TRUE(stone.length == 0 || stone.startTime <= stone.endTime) << k;
    }
    const auto written = std::min<std::size_t>(static_cast<std::size_t>(traced.contactCount), traced.contacts.size());
    for (std::size_t c = 0; c < written; ++c) {
        const TessivalContact &contact = traced.contacts[c];
        EXPECT_LT(contact.first, contact.second);
        EXPECT_GT(traced.stones[contact.first].length, 0);
        EXPECT_GT(traced.stones[contact.second].length, 0);
        EXPECT_TRUE(c == 0 || traced.contacts[c - 1].time <= contact.time) << c;
    }
}

TEST(SimulationTraceWithGenerator, PlaysAsSimulationWithGeneratorBitForBit)
{
    TessivalGenerator plain{};
    TessivalGenerator traced{};
    int contacts = 0;
    for (std::uint32_t n = 0; n < 300; ++n) {
        // A fresh seed every tenth throw; the streams run on between.
        const std::uint32_t seed = n % 10 == 0 ? 1000 + n : 0;
        const ShotVector shot = SHOTS[n % 5];
        GameState expected = CrowdedHouse();
        ASSERT_EQ(SimulationWithGenerator(&expected, shot, SIGMA, seed, &plain, -1), 1);
        const Traced got = TraceThrow(CrowdedHouse(), shot, SIGMA, seed, traced, 64, 32);
        ASSERT_EQ(got.result, 1);
        traced = got.generator;
        EXPECT_TRUE(SameBytes(got.state, expected)) << n;
        EXPECT_TRUE(SameGenerator(traced, plain)) << n;
        ExpectWellFormedTrace(got);
        contacts += got.contactCount;
    }
    EXPECT_GT(contacts, 300);  // the throws did strike stones
}

TEST(SimulationTraceWithGenerator, TheDeliveredPathIsSimulationTraces)
{
    for (const ShotVector &shot : SHOTS) {
        std::vector<float> expected(2 * 100);
        std::int32_t length = 0;
        GameState state = CrowdedHouse();
        ASSERT_EQ(
            SimulationTrace(&state, shot, SIGMA, 55, -1, reinterpret_cast<float(*)[2]>(expected.data()), 100, &length),
            1);
        const Traced traced = TraceThrow(CrowdedHouse(), shot, SIGMA, 55, TessivalGenerator{}, 100, 0);
        ASSERT_EQ(traced.result, 1);
        EXPECT_EQ(traced.stones[13].startTime, 0.0f);
        EXPECT_EQ(traced.stones[13].length, 100);
        EXPECT_EQ(std::memcmp(traced.Point(13, 0), expected.data(), expected.size() * sizeof(float)), 0);
    }
}

// Stone 0 on the tee, struck by stone 1 without error.
Traced StrikeTheTeeStone(float power)
{
    GameState state = EmptyState(1);
    Place(state, 0, 2.375f, 4.88f);
    return TraceThrow(state, Hit(2.375f, 4.88f, 0, power), 0.0f, 0, TessivalGenerator{}, 200, 4);
}

TEST(SimulationTraceWithGenerator, AStruckStoneRunsFromItsRestAtTheContactToItsEnd)
{
    for (const float power : {1.0f, 12.0f}) {
        SCOPED_TRACE(power);
        const Traced traced = StrikeTheTeeStone(power);
        ASSERT_EQ(traced.result, 1);
        ASSERT_GE(traced.contactCount, 1);
        EXPECT_EQ(traced.contacts[0].first, 0);
        EXPECT_EQ(traced.contacts[0].second, 1);
        const TessivalStonePath &struck = traced.stones[0];
        ASSERT_EQ(struck.length, 200);
        EXPECT_EQ(struck.startTime, traced.contacts[0].time);
        EXPECT_GT(struck.startTime, 10.0f);
        EXPECT_EQ(traced.Point(0, 0)[0], 2.375f);
        EXPECT_EQ(traced.Point(0, 0)[1], 4.88f);
        EXPECT_LT(traced.Point(0, 1)[1], 4.88f);  // moving from its first step on
        if (struck.leftSheet) {
            EXPECT_TRUE(Removed(traced.state, 0));
            EXPECT_NEAR(traced.Last(0)[1], 3.05f - 0.145f, 1e-4f);  // out over the back line
        } else {
            EXPECT_EQ(traced.Last(0)[0], traced.state.stones[0][0]);
            EXPECT_EQ(traced.Last(0)[1], traced.state.stones[0][1]);
        }
        // The thrower ends at its own rest, its path's end as the state has it.
        if (!Removed(traced.state, 1)) {
            EXPECT_EQ(traced.Last(1)[0], traced.state.stones[1][0]);
            EXPECT_EQ(traced.Last(1)[1], traced.state.stones[1][1]);
        }
        for (int k = 2; k < 16; ++k)
            EXPECT_EQ(traced.stones[k].length, 0) << k;
        EXPECT_EQ(traced.Point(2, 0)[0], UNTOUCHED);
    }
    EXPECT_EQ(StrikeTheTeeStone(12.0f).stones[0].leftSheet, 1);
    EXPECT_EQ(StrikeTheTeeStone(1.0f).stones[0].leftSheet, 0);
}

TEST(SimulationTraceWithGenerator, CountsEveryContactAndWritesAsManyAsThereIsRoomFor)
{
    const ShotVector hard = Hit(2.0f, 4.5f, 1, 30.0f);
    const Traced all = TraceThrow(CrowdedHouse(), hard, 0.0f, 0, TessivalGenerator{}, 8, 64);
    ASSERT_GE(all.contactCount, 3);
    ASSERT_LE(all.contactCount, 64);
    ExpectWellFormedTrace(all);
    EXPECT_TRUE(all.contacts[0].first == 13 || all.contacts[0].second == 13);  // the thrown stone strikes first

    const Traced one = TraceThrow(CrowdedHouse(), hard, 0.0f, 0, TessivalGenerator{}, 8, 1);
    EXPECT_EQ(one.contactCount, all.contactCount);
    EXPECT_EQ(std::memcmp(&one.contacts[0], &all.contacts[0], sizeof(TessivalContact)), 0);
    const Traced none = TraceThrow(CrowdedHouse(), hard, 0.0f, 0, TessivalGenerator{}, 8, 0);
    EXPECT_EQ(none.result, 1);
    EXPECT_EQ(none.contactCount, all.contactCount);
}

TEST(SimulationTraceWithGenerator, UnusableArgumentsWriteNothing)
{
    const GameState given = CrowdedHouse();
    const ShotVector shot = SHOTS[1];
    std::vector<float> points(32 * 4, UNTOUCHED);
    TessivalContact contacts[2] = {{UNTOUCHED, -7, -7}, {UNTOUCHED, -7, -7}};
    TessivalTrace usable{};
    std::memset(&usable, 0x5A, sizeof usable);
    usable.capacity = 4;
    usable.contactCapacity = 2;
    usable.points = reinterpret_cast<float(*)[2]>(points.data());
    usable.contacts = contacts;

    auto unusable = [&](TessivalTrace trace, TessivalTrace *passed, TessivalGenerator *generator, ShotVector vector) {
        GameState state = given;
        const TessivalGenerator before = generator != nullptr ? *generator : TessivalGenerator{};
        const TessivalTrace sent = trace;
        if (passed != nullptr)
            passed = &trace;
        EXPECT_EQ(SimulationTraceWithGenerator(&state, vector, SIGMA, 9, generator, -1, passed), 0);
        EXPECT_TRUE(SameBytes(state, given));
        EXPECT_EQ(std::memcmp(&trace, &sent, sizeof trace), 0);
        EXPECT_TRUE(generator == nullptr || SameGenerator(*generator, before));
    };
    TessivalGenerator generator{{1, 2, 3, 4}};
    unusable(usable, nullptr, &generator, shot);
    unusable(usable, &usable, nullptr, shot);
    unusable(usable, &usable, &generator, ShotVector{NAN, -2.0f, 0});
    for (const std::int32_t capacity : {1, 0, -3}) {
        TessivalTrace small = usable;
        small.capacity = capacity;
        unusable(small, &small, &generator, shot);
    }
    TessivalTrace noPoints = usable;
    noPoints.points = nullptr;
    unusable(noPoints, &noPoints, &generator, shot);
    TessivalTrace negative = usable;
    negative.contactCapacity = -1;
    unusable(negative, &negative, &generator, shot);
    TessivalTrace noContacts = usable;
    noContacts.contacts = nullptr;
    unusable(noContacts, &noContacts, &generator, shot);
    GameState state = given;
    EXPECT_EQ(SimulationTraceWithGenerator(nullptr, shot, SIGMA, 9, &generator, -1, &usable), 0);
    EXPECT_EQ(SimulationTraceWithGenerator(&state, shot, SIGMA, 9, &generator, 16, &usable), 0);
    for (const float value : points)
        EXPECT_EQ(value, UNTOUCHED);
    EXPECT_EQ(contacts[0].first, -7);
    EXPECT_EQ(generator.words[0], 1u);
}

// Threads on distinct states, generators and buffers get what one thread gets alone.
TEST(SimulationTraceWithGenerator, ConcurrentCallsAgreeWithSerialOnes)
{
    constexpr int THREADS = 3;
    constexpr int THROWS = 60;
    auto play = [](int worker, std::vector<Traced> *results) {
        TessivalGenerator generator{};
        for (int n = 0; n < THROWS; ++n) {
            const std::uint32_t seed = n == 0 ? 500u + static_cast<std::uint32_t>(worker) : 0u;
            results->push_back(TraceThrow(CrowdedHouse(), SHOTS[(n + worker) % 5], SIGMA, seed, generator, 32, 16));
            generator = results->back().generator;
        }
    };
    std::vector<std::vector<Traced>> alone(THREADS), together(THREADS);
    for (int w = 0; w < THREADS; ++w)
        play(w, &alone[static_cast<std::size_t>(w)]);
    std::vector<std::thread> workers;
    for (int w = 0; w < THREADS; ++w)
        workers.emplace_back(play, w, &together[static_cast<std::size_t>(w)]);
    for (std::thread &worker : workers)
        worker.join();
    for (std::size_t w = 0; w < THREADS; ++w) {
        for (std::size_t n = 0; n < THROWS; ++n) {
            const Traced &a = alone[w][n];
            const Traced &b = together[w][n];
            EXPECT_TRUE(SameBytes(a.state, b.state) && SameGenerator(a.generator, b.generator)) << w << " " << n;
            EXPECT_EQ(a.points, b.points) << w << " " << n;
            EXPECT_EQ(a.contactCount, b.contactCount);
            EXPECT_EQ(std::memcmp(a.contacts.data(), b.contacts.data(), a.contacts.size() * sizeof(TessivalContact)),
                      0);
            EXPECT_EQ(std::memcmp(a.stones, b.stones, sizeof a.stones), 0);
        }
    }
}

}  // namespace

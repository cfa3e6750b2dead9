#include "search/shot_search.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <deque>
#include <span>
#include <thread>
#include <vector>

#include "end_score.h"
#include "search/network_leaves.h"
#include "search/rollout.h"
#include "search/sheet.h"
#include "search/shot_candidates.h"
#include "search/split_mix.h"

namespace granite::search {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int REFINED_ARMS = 3;
constexpr long long FIRST_ROUND_SAMPLES = 2;
// Samples a worker takes at once: the network judges them as one batch.
constexpr std::size_t CHUNK = 16;
// The network judges positions with two stones or more still to come; before
// the last stone the play-out's look at that stone's options is sharper, and
// cheap.
constexpr int LAST_NETWORK_SHOT = 14;
// Stones the fast policy plays after a throw before the network judges: the
// other side's answer and one more. Judging right after the throw lost about
// 130 Elo to play-outs in 40-game matches; two stones played out first drew.
constexpr int POLICY_STONES_BEFORE_NETWORK = 2;
// Samples one round may plan in all, so that a huge budget never plans a huge round.
constexpr long long MAX_ROUND_SAMPLES = 1LL << 20;

struct Arm {
    ShotPlan plan;
    ShotVector vector;
    double sum = 0.0;
    int samples = 0;

    double Mean() const { return samples > 0 ? sum / samples : -1.0; }
};

struct Task {
    Arm *arm;
    int sample;
};

class Search {
public:
    Search(const GameState &state, const value::GameSituation &situation, const value::WinTable &table,
           const value::ValueNetwork *network, const SearchLimits &limits)
        : root_(state), limits_(limits), side_(state.shotIndex % 2), start_(Clock::now()), network_(network),
          context_(value::HammerContext(situation)), policy_(PolicyFor(table, situation, side_))
    {
        deadline_ =
            start_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(limits.thinkSeconds));
        for (const ShotPlan &plan : ShotCandidates(state))
            AddArm(plan);
    }

    SearchResult Run()
    {
        std::vector<Arm *> alive;
        for (Arm &arm : arms_)
            alive.push_back(&arm);
        int target = 0;
        for (int round = 0; alive.size() > 1; ++round) {
            long long increment = round == 0 ? FIRST_ROUND_SAMPLES : Increment(alive);
            // By time, the deadline ends the search; a budget of throws must afford the round.
            if (ByTime())
                increment = std::max(increment, 1LL);
            if (increment < 1)
                break;
            increment = std::min(increment, MAX_ROUND_SAMPLES / static_cast<long long>(alive.size()));
            target += static_cast<int>(increment);
            if (!RunRound(alive, target))
                break;
            Halve(alive);
            if (round == 0)
                AddRefinements(alive);
        }
        return Best(alive, target);
    }

private:
    void AddArm(const ShotPlan &plan)
    {
        const std::optional<ShotVector> vector = BuildVector(plan);
        if (vector)
            arms_.push_back(Arm{plan, *vector});
    }

    bool ByTime() const { return limits_.throws <= 0; }

    // New samples per candidate this round: the throws still to spend spread
    // evenly over the rounds it takes to halve down to one.
    long long Increment(const std::vector<Arm *> &alive) const
    {
        const double rounds = std::ceil(std::log2(static_cast<double>(alive.size())));
        const double throwsPerSample = static_cast<double>(throws_.load()) / static_cast<double>(samples_.load());
        return static_cast<long long>(RemainingThrows() /
                                      (rounds * static_cast<double>(alive.size()) * throwsPerSample));
    }

    double RemainingThrows() const
    {
        const long long used = throws_.load();
        if (!ByTime())
            return static_cast<double>(limits_.throws - used);
        const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
        const double left = std::chrono::duration<double>(deadline_ - Clock::now()).count();
        return elapsed > 0.0 ? static_cast<double>(used) / elapsed * left : 0.0;
    }

    // Tops every arm up to target samples, in parallel; false when the time ran out first.
    bool RunRound(const std::vector<Arm *> &alive, int target)
    {
        std::vector<Task> tasks;
        for (Arm *arm : alive)
            for (int sample = arm->samples; sample < target; ++sample)
                tasks.push_back({arm, sample});
        std::vector<double> values(tasks.size(), std::nan(""));
        std::atomic<std::size_t> next{0};
        auto work = [&] {
            for (std::size_t begin = next.fetch_add(CHUNK); begin < tasks.size(); begin = next.fetch_add(CHUNK)) {
                if (ByTime() && Clock::now() >= deadline_)
                    return;
                const std::size_t end = std::min(begin + CHUNK, tasks.size());
                SampleChunk(std::span(tasks).subspan(begin, end - begin),
                            std::span(values).subspan(begin, end - begin));
            }
        };
        std::vector<std::thread> helpers;
        for (int t = 1; t < limits_.threads; ++t)
            helpers.emplace_back(work);
        work();
        for (std::thread &helper : helpers)
            helper.join();
        bool complete = true;
        for (std::size_t i = 0; i < tasks.size(); ++i) {
            if (std::isnan(values[i])) {
                complete = false;
                continue;
            }
            tasks[i].arm->sum += values[i];
            ++tasks[i].arm->samples;
        }
        return complete;
    }

    // Each task's noisy throw of its arm, judged: its value for the side to
    // move. Sample j of every arm draws from the same streams (common random
    // numbers), so that arms are compared on the same luck.
    void SampleChunk(std::span<const Task> tasks, std::span<double> values)
    {
        std::vector<GameState> open;  // ends still in play, for the network
        std::vector<std::size_t> openTasks;
        for (std::size_t i = 0; i < tasks.size(); ++i) {
            SplitMix mix{limits_.seed ^ (static_cast<std::uint64_t>(tasks[i].sample) * 0x8CB92BA72F3D8DD7ull) ^
                         (static_cast<std::uint64_t>(root_.shotIndex) << 56) ^
                         (static_cast<std::uint64_t>(root_.currentEnd & 0xFF) << 48)};
            const std::uint32_t seed = static_cast<std::uint32_t>(mix.Next()) | 1u;
            TessivalGenerator generator{};
            GameState state = root_;
            if (SimulationWithGenerator(&state, tasks[i].arm->vector, RANDOM_ERROR, seed, &generator, -1) == 0) {
                values[i] = -1.0;
                continue;
            }
            ++samples_;
            int throws = 1;
            if (network_ != nullptr) {
                throws += PlayOut(state, policy_, generator, mix,
                                  std::min(state.shotIndex + POLICY_STONES_BEFORE_NETWORK, LAST_NETWORK_SHOT + 1));
                if (state.shotIndex <= LAST_NETWORK_SHOT) {
                    throws_ += throws;
                    open.push_back(state);
                    openTasks.push_back(i);
                    continue;
                }
            }
            throws_ += throws + PlayOut(state, policy_, generator, mix);
            values[i] = EndValue(state);
        }
        if (open.empty())
            return;
        std::vector<double> judged(open.size());
        JudgeByNetwork(*network_, context_, policy_, open, judged);
        for (std::size_t j = 0; j < open.size(); ++j)
            values[openTasks[j]] = judged[j];
    }

    double EndValue(const GameState &ended) const
    {
        return policy_.endValue[static_cast<std::size_t>(rules::EndScore(ended, side_) + value::MAX_END_SCORE)];
    }

    static void Halve(std::vector<Arm *> &alive)
    {
        std::stable_sort(alive.begin(), alive.end(), [](const Arm *a, const Arm *b) { return a->Mean() > b->Mean(); });
        alive.resize((alive.size() + 1) / 2);
    }

    void AddRefinements(std::vector<Arm *> &alive)
    {
        const std::size_t before = arms_.size();
        const std::size_t refined = std::min<std::size_t>(alive.size(), REFINED_ARMS);
        std::vector<ShotPlan> plans;
        for (std::size_t k = 0; k < refined; ++k)
            for (const ShotPlan &plan : RefinedAround(alive[k]->plan))
                plans.push_back(plan);
        for (const ShotPlan &plan : plans)
            AddArm(plan);
        for (std::size_t k = before; k < arms_.size(); ++k)
            alive.push_back(&arms_[k]);
    }

    // The best mean among the arms judged on the most samples.
    SearchResult Best(const std::vector<Arm *> &alive, int target) const
    {
        int most = 0;
        for (const Arm *arm : alive)
            most = std::max(most, std::min(arm->samples, target));
        const Arm *best = alive.front();
        for (const Arm *arm : alive)
            if (arm->samples >= most && (best->samples < most || arm->Mean() > best->Mean()))
                best = arm;
        return {best->plan, best->vector, best->Mean(), best->samples, throws_.load()};
    }

    const GameState root_;
    const SearchLimits limits_;
    const int side_;
    const Clock::time_point start_;
    Clock::time_point deadline_;
    const value::ValueNetwork *const network_;
    const value::EndContext context_;
    RolloutPolicy policy_;
    std::deque<Arm> arms_;
    std::atomic<long long> throws_{0};
    std::atomic<long long> samples_{0};
};

}  // namespace

SearchResult SearchShot(const GameState &state, const value::GameSituation &situation, const value::WinTable &table,
                        const value::ValueNetwork *network, const SearchLimits &limits)
{
    return Search(state, situation, table, network, limits).Run();
}

}  // namespace granite::search

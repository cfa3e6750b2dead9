#include "value/win_table.h"

#include <algorithm>
#include <cstddef>

namespace granite::value {

namespace {

constexpr int LEADS = 2 * WinTable::MAX_LEAD + 1;
// The contexts the network tells apart (position_features.h clamps the rest).
constexpr int CONTEXT_ENDS = MAX_INPUT_ENDS + 1;
constexpr int CONTEXT_LEADS = 2 * MAX_INPUT_LEAD + 1;

std::size_t ContextIndex(const EndContext &context)
{
    const int ends = std::clamp(context.endsLeft, 0, MAX_INPUT_ENDS);
    const int lead = std::clamp(context.hammerLead, -MAX_INPUT_LEAD, MAX_INPUT_LEAD) + MAX_INPUT_LEAD;
    return static_cast<std::size_t>(((context.extraEnd ? CONTEXT_ENDS : 0) + ends) * CONTEXT_LEADS + lead);
}

// The network's distribution for an end about to begin: no stone thrown.
WinTable::Distribution FirstStoneDistribution(const ValueNetwork &network, const EndContext &context)
{
    GameState empty{};
    std::array<float, FEATURE_COUNT> features{};
    EncodePosition(empty, context, features);
    std::array<float, ValueNetwork::END_SCORES> probabilities{};
    network.Evaluate(features, 1, probabilities);
    WinTable::Distribution distribution{};
    std::copy(probabilities.begin(), probabilities.end(), distribution.begin());
    return distribution;
}

}  // namespace

WinTable::WinTable(const EndScoreCounts &counts)
    : WinTable([&counts](const EndContext &) {
          double total = 0.0;
          for (const int count : counts)
              total += count;
          Distribution distribution{};
          for (std::size_t k = 0; k < counts.size(); ++k)
              distribution[k] = total > 0.0 ? counts[k] / total : 0.0;
          return distribution;
      })
{
}

WinTable::WinTable(const ValueNetwork &network)
    : WinTable([&network](const EndContext &context) { return FirstStoneDistribution(network, context); })
{
}

WinTable::WinTable(std::function<Distribution(const EndContext &)> distribution)
    : probabilities_(static_cast<std::size_t>(2 * CONTEXT_ENDS * CONTEXT_LEADS)),
      chances_(static_cast<std::size_t>((MAX_ENDS_LEFT + 1) * (EXTRA_ENDS + 1) * LEADS * 2))
{
    for (const bool extraEnd : {false, true})
        for (int ends = 0; ends <= MAX_INPUT_ENDS; ++ends)
            for (int lead = -MAX_INPUT_LEAD; lead <= MAX_INPUT_LEAD; ++lead) {
                const EndContext context{ends, extraEnd, lead};
                probabilities_[ContextIndex(context)] = distribution(context);
            }
    // Fewer ends left first: every end played leads to a state computed before it.
    for (int extra = 0; extra <= EXTRA_ENDS; ++extra)
        for (int lead = -MAX_LEAD; lead <= MAX_LEAD; ++lead)
            for (const bool hammer : {false, true})
                chances_[Index(0, extra, lead, hammer)] = Chance(0, extra, lead, hammer);
    for (int regular = 1; regular <= MAX_ENDS_LEFT; ++regular)
        for (int extra = 0; extra <= EXTRA_ENDS; ++extra)
            for (int lead = -MAX_LEAD; lead <= MAX_LEAD; ++lead)
                for (const bool hammer : {false, true})
                    chances_[Index(regular, extra, lead, hammer)] = PlayEnd(regular, extra, lead, hammer);
}

double WinTable::Chance(int regularLeft, int extraLeft, int lead, bool hammer) const
{
    regularLeft = std::clamp(regularLeft, 0, MAX_ENDS_LEFT);
    extraLeft = std::clamp(extraLeft, 0, EXTRA_ENDS);
    if (regularLeft == 0) {
        if (lead != 0)
            return lead > 0 ? 1.0 : 0.0;
        if (extraLeft == 0)
            return 0.5;
        return PlayEnd(0, extraLeft, lead, hammer);
    }
    return chances_[Index(regularLeft, extraLeft, std::clamp(lead, -MAX_LEAD, MAX_LEAD), hammer)];
}

// One more end, scored for the hammer side by the distribution: the side that
// scores gives up the hammer, a blank end keeps it where it is.
double WinTable::PlayEnd(int regularLeft, int extraLeft, int lead, bool hammer) const
{
    const int nextRegular = regularLeft > 0 ? regularLeft - 1 : 0;
    const int nextExtra = regularLeft > 0 ? extraLeft : extraLeft - 1;
    const Distribution &probability = Probabilities(regularLeft, lead, hammer);
    double chance = 0.0;
    for (int k = -MAX_END_SCORE; k <= MAX_END_SCORE; ++k) {
        const double p = probability[static_cast<std::size_t>(k + MAX_END_SCORE)];
        if (p == 0.0)
            continue;
        const int ownScore = hammer ? k : -k;
        const bool nextHammer = ownScore == 0 ? hammer : ownScore < 0;
        chance += p * Chance(nextRegular, nextExtra, lead + ownScore, nextHammer);
    }
    return chance;
}

// The end played with regularLeft regular ends left, this one among them (0 in
// an extra end), by a side with lead that holds the hammer in it or not.
const WinTable::Distribution &WinTable::Probabilities(int regularLeft, int lead, bool hammer) const
{
    const EndContext context{std::max(regularLeft - 1, 0), regularLeft == 0, hammer ? lead : -lead};
    return probabilities_[ContextIndex(context)];
}

double WinTable::AfterEnd(const GameSituation &situation, int endScore) const
{
    const bool nextHammer = endScore == 0 ? situation.hammer : endScore < 0;
    const int lead = situation.lead + endScore;
    if (situation.currentEnd <= situation.lastEnd)
        return Chance(situation.lastEnd - situation.currentEnd, EXTRA_ENDS, lead, nextHammer);
    const int extraLeft = situation.lastEnd + EXTRA_ENDS - situation.currentEnd;
    return Chance(0, std::max(extraLeft, 0), lead, nextHammer);
}

std::size_t WinTable::Index(int regularLeft, int extraLeft, int lead, bool hammer)
{
    const int index = ((regularLeft * (EXTRA_ENDS + 1) + extraLeft) * LEADS + lead + MAX_LEAD) * 2 + (hammer ? 1 : 0);
    return static_cast<std::size_t>(index);
}

}  // namespace granite::value

#include "value/win_table.h"

#include <algorithm>
#include <cstddef>

namespace granite::value {

namespace {

constexpr int LEADS = 2 * WinTable::MAX_LEAD + 1;

}  // namespace

WinTable::WinTable(const EndScoreCounts &counts)
    : probability_(counts.size()),
      chances_(static_cast<std::size_t>((MAX_ENDS_LEFT + 1) * (EXTRA_ENDS + 1) * LEADS * 2))
{
    double total = 0.0;
    for (const int count : counts)
        total += count;
    for (std::size_t k = 0; k < counts.size(); ++k)
        probability_[k] = total > 0.0 ? counts[k] / total : 0.0;
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
    double chance = 0.0;
    for (int k = -MAX_END_SCORE; k <= MAX_END_SCORE; ++k) {
        const double p = probability_[static_cast<std::size_t>(k + MAX_END_SCORE)];
        if (p == 0.0)
            continue;
        const int ownScore = hammer ? k : -k;
        const bool nextHammer = ownScore == 0 ? hammer : ownScore < 0;
        chance += p * Chance(nextRegular, nextExtra, lead + ownScore, nextHammer);
    }
    return chance;
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

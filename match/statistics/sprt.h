#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "statistics/pentanomial.h"

namespace match::statistics {

// A sequential probability ratio test of H1 "A is elo1 stronger than B"
// against H0 "A is elo0 stronger" (logistic Elo), with error rates alpha
// (accepting H1 when H0 holds) and beta (accepting H0 when H1 holds).
struct SprtTest {
    double elo0 = 0, elo1 = 5, alpha = 0.05, beta = 0.05;

    bool operator==(const SprtTest &) const = default;
};

// Parses "elo0=E0 elo1=E1 alpha=A beta=B" (any order, separated by white
// space; alpha and beta optional, each name at most once); an error message
// on bad input, an empty text included.
std::optional<SprtTest> ParseSprt(std::string_view text, std::string &error);

enum class SprtDecision { Continue, AcceptH0, AcceptH1 };
struct SprtState {
    double llr;
    double lowerBound;
    double upperBound;
    SprtDecision decision;
};

// The generalised log-likelihood ratio of the pair results: under each
// hypothesis the pentanomial distribution of greatest likelihood whose mean
// per-game score is the hypothesis's expected score 1 / (1 + 10^(-elo / 400)),
// compared count by count (an empty cell counts as 0.001 pairs). For small
// Elo steps it is close to (mu1 - mu0)(2 mean - mu0 - mu1) n / (2 var).
// H1 is accepted at LLR >= log((1 - beta) / alpha), H0 at LLR <= log(beta / (1 - alpha)).
SprtState EvaluateSprt(const SprtTest &test, const Pentanomial &pairs);

// One line, e.g. "SPRT elo0=0 elo1=50: LLR 1.23 (-2.94, 2.94), continue";
// the last word is "continue", "H0 accepted" or "H1 accepted".
std::string FormatSprt(const SprtTest &test, const SprtState &state);

// A log-likelihood ratio or bound as FormatSprt writes it: "-0.31", "2.94".
std::string FormatLlr(double value);

}  // namespace match::statistics

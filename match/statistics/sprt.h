#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "statistics/pentanomial.h"

// A sequential probability ratio test of H1 "A is elo1 stronger than B"
// against H0 "A is elo0 stronger" (logistic Elo), with error rates alpha
// (accepting H1 when H0 holds) and beta (accepting H0 when H1 holds).
struct SprtTest {
    double elo0 = 0, elo1 = 5, alpha = 0.05, beta = 0.05;
};

// Parses "elo0=E0 elo1=E1 alpha=A beta=B" (any order, separated by white
// space; alpha and beta optional); an error message on bad input.
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
// per-game score is the hypothesis's expected score, compared count by count.
// Bounds log(beta / (1 - alpha)) and log((1 - beta) / alpha).
SprtState EvaluateSprt(const SprtTest &test, const Pentanomial &pairs);

// One line, e.g. "SPRT elo0=0 elo1=50: LLR 1.23 (-2.94, 2.94), continue"
std::string FormatSprt(const SprtTest &test, const SprtState &state);

#include "statistics/sprt.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace match::statistics {

namespace {

// Beyond this the expected score rounds to 0 or 1 and no match can tell.
constexpr double MAX_ELO = 1000.0;
// Empty cells count as this many pairs, so a one-sided record still has a
// distribution of greatest likelihood under either hypothesis.
constexpr double EMPTY_CELL = 1e-3;

std::optional<double> ParseNumber(std::string_view text)
{
    // from_chars takes no plus sign; "+5" is still a number to a user.
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    double value = 0.0;
    auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::vector<std::string_view> Words(std::string_view text)
{
    constexpr std::string_view SPACE = " \t\n";
    std::vector<std::string_view> words;
    for (size_t start = text.find_first_not_of(SPACE); start != std::string_view::npos;) {
        size_t end = std::min(text.find_first_of(SPACE, start), text.size());
        words.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(SPACE, end);
    }
    return words;
}

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

double *Field(SprtTest &test, std::string_view name)
{
    if (name == "elo0")
        return &test.elo0;
    if (name == "elo1")
        return &test.elo1;
    if (name == "alpha")
        return &test.alpha;
    if (name == "beta")
        return &test.beta;
    return nullptr;
}

std::string CheckTest(const SprtTest &test)
{
    if (std::fabs(test.elo0) > MAX_ELO || std::fabs(test.elo1) > MAX_ELO)
        return "elo0 and elo1 must lie between -1000 and 1000";
    if (test.elo1 <= test.elo0)
        return "elo1 must be greater than elo0";
    if (!(test.alpha > 0.0 && test.alpha < 1.0) || !(test.beta > 0.0 && test.beta < 1.0))
        return "alpha and beta must lie strictly between 0 and 1";
    if (test.alpha + test.beta >= 1.0)
        return "alpha + beta must be less than 1, or the bounds cross";
    return {};
}

// Sum of f_i (x_i - mean) / (1 + lambda (x_i - mean)): zero at the lambda of
// the constrained distribution of greatest likelihood, falling in lambda.
double LagrangeSlope(const std::array<double, 5> &counts, double mean, double lambda)
{
    double sum = 0.0;
    for (int index = 0; index < 5; ++index) {
        double offset = index / 4.0 - mean;
        sum += counts[index] * offset / (1.0 + lambda * offset);
    }
    return sum;
}

// The distribution of greatest likelihood for these counts whose mean is
// `mean` is p_i = f_i / (1 + lambda (x_i - mean)); lambda by bisection over
// the range where every p_i is positive.
double Lambda(const std::array<double, 5> &counts, double mean)
{
    double low = -1.0 / (1.0 - mean);
    double high = 1.0 / mean;
    for (int step = 0; step < 200; ++step) {
        double middle = 0.5 * (low + high);
        if (LagrangeSlope(counts, mean, middle) > 0.0)
            low = middle;
        else
            high = middle;
    }
    return 0.5 * (low + high);
}

double LogLikelihoodRatio(const SprtTest &test, const Pentanomial &pairs)
{
    std::array<double, 5> counts{};
    long total = 0;
    for (int index = 0; index < 5; ++index) {
        counts[index] = pairs[index] > 0 ? static_cast<double>(pairs[index]) : EMPTY_CELL;
        total += pairs[index];
    }
    if (total == 0)
        return 0.0;
    double mean0 = ScoreFromElo(test.elo0);
    double mean1 = ScoreFromElo(test.elo1);
    double lambda0 = Lambda(counts, mean0);
    double lambda1 = Lambda(counts, mean1);
    double llr = 0.0;
    for (int index = 0; index < 5; ++index) {
        double x = index / 4.0;
        llr += counts[index] * std::log((1.0 + lambda0 * (x - mean0)) / (1.0 + lambda1 * (x - mean1)));
    }
    return llr;
}

std::string Fixed(double value, const char *format)
{
    char text[32];
    // A value that rounds to zero prints without a sign.
    std::snprintf(text, sizeof text, format, value + 0.0);
    std::string result = text;
    return result == "-0.00" ? "0.00" : result;
}

}  // namespace

std::optional<SprtTest> ParseSprt(std::string_view text, std::string &error)
{
    SprtTest test;
    std::vector<std::string_view> given;
    std::vector<std::string_view> words = Words(text);
    if (words.empty()) {
        error = "the test is empty: expected elo0=E0 elo1=E1 [alpha=A] [beta=B]";
        return std::nullopt;
    }
    for (std::string_view item : words) {
        size_t equals = item.find('=');
        if (equals == std::string_view::npos) {
            error = "expected elo0=E0 elo1=E1 [alpha=A] [beta=B], not " + Quoted(item);
            return std::nullopt;
        }
        std::string_view name = item.substr(0, equals);
        std::optional<double> value = ParseNumber(item.substr(equals + 1));
        double *field = Field(test, name);
        if (!field) {
            error = "unknown SPRT parameter " + Quoted(name) + " (elo0, elo1, alpha, beta)";
            return std::nullopt;
        }
        if (!value) {
            error = std::string(name) + " is not a number: " + Quoted(item.substr(equals + 1));
            return std::nullopt;
        }
        if (std::find(given.begin(), given.end(), name) != given.end()) {
            error = std::string(name) + " is given twice";
            return std::nullopt;
        }
        given.push_back(name);
        *field = *value;
    }
    auto named = [&](std::string_view name) { return std::find(given.begin(), given.end(), name) != given.end(); };
    if (!named("elo0") || !named("elo1")) {
        error = "both elo0 and elo1 are needed";
        return std::nullopt;
    }
    error = CheckTest(test);
    if (!error.empty())
        return std::nullopt;
    return test;
}

SprtState EvaluateSprt(const SprtTest &test, const Pentanomial &pairs)
{
    SprtState state{LogLikelihoodRatio(test, pairs), std::log(test.beta / (1.0 - test.alpha)),
                    std::log((1.0 - test.beta) / test.alpha), SprtDecision::Continue};
    if (state.llr >= state.upperBound)
        state.decision = SprtDecision::AcceptH1;
    else if (state.llr <= state.lowerBound)
        state.decision = SprtDecision::AcceptH0;
    return state;
}

std::string FormatSprt(const SprtTest &test, const SprtState &state)
{
    const char *decision = state.decision == SprtDecision::AcceptH1   ? "H1 accepted"
                           : state.decision == SprtDecision::AcceptH0 ? "H0 accepted"
                                                                      : "continue";
    return "SPRT elo0=" + Fixed(test.elo0, "%g") + " elo1=" + Fixed(test.elo1, "%g") + ": LLR " + FormatLlr(state.llr) +
           " (" + FormatLlr(state.lowerBound) + ", " + FormatLlr(state.upperBound) + "), " + decision;
}

std::string FormatLlr(double value)
{
    return Fixed(value, "%.2f");
}

}  // namespace match::statistics

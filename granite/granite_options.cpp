#include "granite_options.h"

#include <CLI/CLI.hpp>
#include <cstdint>
#include <iostream>
#include <map>
#include <string>

namespace granite {

namespace {

constexpr int MAX_THREADS = 64;
constexpr int USAGE_STATUS = 2;
constexpr double MS_PER_SECOND = 1000.0;

// The network of a weights file, or nothing after a message on standard error.
std::optional<value::ValueNetwork> LoadWeights(const std::string &path)
{
    std::string error;
    std::optional<value::ValueNetwork> network = value::ValueNetwork::Load(path, error);
    if (!network)
        std::cerr << "granite: --weights " << path << ": " << error << "\n";
    return network;
}

}  // namespace

std::optional<int> ParseOptions(int argc, char **argv, EngineOptions &options)
{
    search::SearchLimits &limits = options.limits;
    CLI::App app{"granite: a curling engine that plays to win the game. It speaks the engine protocol\n"
                 "on standard input and output, as pebble does, and also reads SCORE own other and\n"
                 "TIME own other."};
    app.footer("On a game clock (TIME before GO: milliseconds left to the side to move and to the other side),\n"
               "without --think and --nodes, granite spends the clock over the shots it has left: more on the last\n"
               "stones of an end, the hammer's last most, and on close positions, less on the early guards. It\n"
               "keeps a reserve, time for extra ends and an allowance per shot for the manager's measuring, and\n"
               "caps each shot at a share of the clock. Without TIME it thinks as --think says.");
    double thinkMs = limits.thinkSeconds * MS_PER_SECOND;
    long long nodes = limits.throws;
    std::uint64_t seed = limits.seed;
    int threads = limits.threads;
    CLI::Option *think =
        app.add_option(
               "--think", thinkMs,
               "milliseconds to think per GO (the first 12 stones of an end use 60 % of it), also on a game clock")
            ->check(CLI::Range(1.0, 600000.0))
            ->capture_default_str();
    CLI::Option *budget =
        app.add_option("--nodes", nodes,
                       "simulated throws per GO instead of a time, for reproducible play, also on a game clock")
            ->check(CLI::Range(1LL, 1000000000LL));
    app.add_option("--seed", seed, "seed of the search's random throws")->capture_default_str();
    app.add_option("--threads", threads, "threads that throw in parallel")
        ->check(CLI::Range(1, MAX_THREADS))
        ->capture_default_str();
    const std::map<std::string, Evaluation> evaluations{{"network", Evaluation::NETWORK},
                                                        {"rollout", Evaluation::ROLLOUT}};
    app.add_option("--eval", options.evaluation,
                   "how a throw's outcome is judged: rollout (the end played out by a fast policy) or network "
                   "(two stones played out, then the value network; the stronger at --think 50 or less)")
        ->transform(CLI::CheckedTransformer(evaluations, CLI::ignore_case))
        ->default_str("rollout");
    std::string weightsPath;
    app.add_option("--weights", weightsPath, "the value network's weights file (default: the ones built in)");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &help) {
        return app.exit(help);
    } catch (const CLI::ParseError &error) {
        std::cerr << "granite: " << error.what() << "\nRun with --help for the options.\n";
        return USAGE_STATUS;
    }
    if (!weightsPath.empty()) {
        options.weights = LoadWeights(weightsPath);
        if (!options.weights)
            return USAGE_STATUS;
    }
    limits.thinkSeconds = thinkMs / MS_PER_SECOND;
    limits.throws = nodes;
    limits.seed = seed;
    limits.threads = threads;
    options.effortFixed = think->count() > 0 || budget->count() > 0;
    return std::nullopt;
}

}  // namespace granite

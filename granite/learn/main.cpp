#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "learn/decision_fidelity.h"
#include "learn/end_positions.h"
#include "learn/extraction.h"
#include "learn/self_play_record.h"
#include "learn/validation.h"
#include "learn/validation_report.h"
#include "value/value_network.h"
#include "value/win_table.h"

namespace {

using namespace granite;

constexpr int FAILURE_STATUS = 1;
constexpr int USAGE_STATUS = 2;

struct Games {
    std::vector<learn::EndPosition> positions;
    int games = 0;
    int ends = 0;
};

// Every position of every complete end in the records; throws learn::RecordError.
Games ReadGames(const std::vector<std::string> &paths)
{
    Games games;
    for (const std::string &path : paths) {
        const learn::RecordFile record = learn::ReadRecord(path);
        if (record.tornLastLine)
            std::cerr << "granite-data: " << path << ": the last line is cut short (a game being written), left out\n";
        for (const learn::RecordedGame &game : record.games)
            games.ends += learn::AppendEndPositions(game, games.positions);
        games.games += static_cast<int>(record.games.size());
    }
    return games;
}

int Extract(const std::vector<std::string> &records, const std::string &prefix, bool mirror)
{
    const Games games = ReadGames(records);
    const value::WinTable table(value::MEASURED_END_SCORES);
    learn::TrainingSet set;
    for (const learn::EndPosition &position : games.positions)
        learn::AppendRows(position, table, mirror, set);
    if (const std::string failed = learn::WriteTrainingSet(set, prefix); !failed.empty()) {
        std::cerr << "granite-data: cannot write " << failed << "\n";
        return FAILURE_STATUS;
    }
    std::cout << "wrote " << set.rows << " positions" << (mirror ? " (half of them mirrored)" : "") << " from "
              << games.ends << " ends of " << games.games << " games to " << prefix
              << "-{features,labels,positions}.npy\n";
    return 0;
}

std::optional<value::ValueNetwork> LoadNetwork(const std::string &path)
{
    if (path.empty())
        return value::ValueNetwork::Shipped();
    std::string error;
    std::optional<value::ValueNetwork> network = value::ValueNetwork::Load(path, error);
    if (!network)
        std::cerr << "granite-data: " << path << ": " << error << "\n";
    return network;
}

struct ValidateOptions {
    std::vector<std::string> records;
    std::string weights;
    std::vector<int> playouts = {1, 4, 16, 64};
    std::string json;
    int every = 1;
};

int Validate(const ValidateOptions &options)
{
    const std::optional<value::ValueNetwork> network = LoadNetwork(options.weights);
    if (!network)
        return FAILURE_STATUS;
    const Games games = ReadGames(options.records);
    const std::vector<learn::EndPosition> chosen = learn::Subsample(games.positions, options.every);
    const learn::Validation validation = learn::Validate(chosen, *network, options.playouts);
    std::cout << "network " << (options.weights.empty() ? "shipped with granite" : options.weights) << ", "
              << games.games << " games, " << games.ends << " ends, ";
    if (options.every > 1)
        std::cout << "about one in " << options.every << " of " << games.positions.size() << " positions: ";
    learn::PrintReport(validation, std::cout);
    if (options.json.empty())
        return 0;
    std::ofstream out(options.json);
    out << learn::ReportJson(validation).dump(2) << "\n";
    out.close();
    if (!out) {
        std::cerr << "granite-data: cannot write " << options.json << "\n";
        return FAILURE_STATUS;
    }
    return 0;
}

struct FidelityOptions {
    std::vector<std::string> records;
    std::string weights;
    bool rollout = false;
    long long nodes = 20000;
    int positions = 200;
};

int MeasureFidelity(const FidelityOptions &options)
{
    std::optional<value::ValueNetwork> network;
    if (!options.rollout) {
        network = LoadNetwork(options.weights);
        if (!network)
            return FAILURE_STATUS;
    }
    const Games games = ReadGames(options.records);
    const learn::Fidelity fidelity =
        learn::MeasureFidelity(games.positions, network ? &*network : nullptr, options.nodes, options.positions);
    const auto share = [&](int count) { return fidelity.positions > 0 ? 100.0 * count / fidelity.positions : 0.0; };
    std::cout << "last stones where the win table prefers a blank to one: " << fidelity.positions << " (of "
              << games.games << " games), searched with " << (options.rollout ? "play-outs" : "the network")
              << " and --nodes " << options.nodes << "\n"
              << "the chosen shot without error: blank " << fidelity.blanks << " (" << share(fidelity.blanks)
              << "%), one " << fidelity.ones << " (" << share(fidelity.ones) << "%), two or more " << fidelity.more
              << " (" << share(fidelity.more) << "%), stolen " << fidelity.steals << " (" << share(fidelity.steals)
              << "%)\n"
              << "between a blank and one alone: blank "
              << (fidelity.blanks + fidelity.ones > 0 ? 100.0 * fidelity.blanks / (fidelity.blanks + fidelity.ones)
                                                      : 0.0)
              << "%\n"
              << "with the match's error (" << learn::NOISY_THROWS << " throws each): blank "
              << 100.0 * fidelity.noisyBlanks << "%\n";
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    CLI::App app{"granite-data: training data for granite's value network from self-play records, and the\n"
                 "network's validation against granite's play-outs on held-out records."};
    app.require_subcommand(1);

    CLI::App *extract = app.add_subcommand("extract", "write PREFIX-{features,labels,positions}.npy from records");
    std::vector<std::string> extractRecords;
    std::string prefix;
    bool mirror = false;
    extract->add_flag("--mirror", mirror, "write every position a second time, mirrored across the centre line");
    extract->add_option("--out", prefix, "prefix of the .npy files")->required();
    extract->add_option("records", extractRecords, "pebble-match records (--record)")->required();

    CLI::App *validate = app.add_subcommand("validate", "the network against granite's play-outs on records");
    ValidateOptions options;
    validate->add_option("--weights", options.weights, "a weights file (GVN1) instead of the shipped network");
    validate->add_option("--playouts", options.playouts, "play-outs per position to compare, comma separated")
        ->delimiter(',')
        ->check(CLI::Range(1, 4096))
        ->capture_default_str();
    validate->add_option("--json", options.json, "also write the figures to this file as JSON");
    validate->add_option("--every", options.every, "take about one position in N (by a hash of its index)")
        ->check(CLI::Range(1, 1000000))
        ->capture_default_str();
    validate->add_option("records", options.records, "held-out pebble-match records")->required();

    CLI::App *fidelity = app.add_subcommand(
        "fidelity", "how often granite's last stone blanks where its win table prefers a blank to one");
    FidelityOptions fidelityOptions;
    fidelity->add_option("--weights", fidelityOptions.weights, "a weights file instead of the shipped network");
    fidelity->add_flag("--rollout", fidelityOptions.rollout, "search with play-outs instead of the network")
        ->excludes("--weights");
    fidelity->add_option("--nodes", fidelityOptions.nodes, "simulated throws per search")
        ->check(CLI::Range(1LL, 1000000000LL))
        ->capture_default_str();
    fidelity->add_option("--positions", fidelityOptions.positions, "positions to search, the first found")
        ->check(CLI::Range(1, 1000000))
        ->capture_default_str();
    fidelity->add_option("records", fidelityOptions.records, "pebble-match records")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &help) {
        return app.exit(help);
    } catch (const CLI::ParseError &error) {
        std::cerr << "granite-data: " << error.what() << "\nRun with --help for the options.\n";
        return USAGE_STATUS;
    }
    try {
        if (extract->parsed())
            return Extract(extractRecords, prefix, mirror);
        return validate->parsed() ? Validate(options) : MeasureFidelity(fidelityOptions);
    } catch (const learn::RecordError &error) {
        std::cerr << "granite-data: " << error.what() << "\n";
        return FAILURE_STATUS;
    }
}

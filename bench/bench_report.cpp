// Collects the median aggregates of Google Benchmark JSON outputs into one
// table with the targets, the closed form's speed-up over the fixed-step
// reference, and the bench signature; writes it as Markdown and as JSON.
//
// Usage: bench_report OUT_DIR SIGNATURE_LINE RESULT.json...
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

struct Median {
    std::string name;
    double realNs;
    double cpuNs;
};

// A limit on the median in nanoseconds, judged on CPU time for work done in
// this process and on real time for work done in child processes.
struct Target {
    double limitNs;
    const char *text;
};

const std::map<std::string, Target> TARGETS = {
    {"Simulation/HitIntoFifteenStones", {5e3, ">= 200,000/s"}},
    {"Simulation/HitIntoFifteenStonesWithError", {5e3, ">= 200,000/s"}},
    {"GoInProcess/shot:0", {2e6, "<= 2 ms"}},
    {"GoInProcess/shot:4", {2e6, "<= 2 ms"}},
    {"GoInProcess/shot:14", {2e6, "<= 2 ms"}},
    {"GoInProcess/shot:15", {10e6, "<= 10 ms"}},
    {"GoOverProtocol/shot:0/real_time", {2e6, "<= 2 ms"}},
    {"GoOverProtocol/shot:4/real_time", {2e6, "<= 2 ms"}},
    {"GoOverProtocol/shot:14/real_time", {2e6, "<= 2 ms"}},
    {"GoOverProtocol/shot:15/real_time", {10e6, "<= 10 ms"}},
    {"FullGame/iterations:1/real_time", {1e9, "<= 1 s"}},
    // Eight games in a run: 8 games per second.
    {"MatchThroughput/concurrency:2/iterations:1/real_time", {1e9, "<= 1 s per 8 games"}},
};

double Nanoseconds(double value, const std::string &unit)
{
    if (unit == "us")
        return value * 1e3;
    if (unit == "ms")
        return value * 1e6;
    if (unit == "s")
        return value * 1e9;
    return value;
}

std::vector<Median> ReadMedians(const std::string &file)
{
    std::ifstream input(file);
    const json results = json::parse(input, nullptr, false);
    std::vector<Median> medians;
    if (results.is_discarded() || !results.contains("benchmarks")) {
        std::cerr << "bench_report: " << file << " holds no benchmark results\n";
        return medians;
    }
    for (const json &entry : results.at("benchmarks")) {
        if (entry.value("aggregate_name", "") != "median")
            continue;
        const std::string unit = entry.value("time_unit", "ns");
        medians.push_back({entry.at("run_name").get<std::string>(),
                           Nanoseconds(entry.at("real_time").get<double>(), unit),
                           Nanoseconds(entry.at("cpu_time").get<double>(), unit)});
    }
    return medians;
}

std::string Duration(double ns)
{
    char text[32];
    if (ns < 1e3)
        std::snprintf(text, sizeof text, "%.1f ns", ns);
    else if (ns < 1e6)
        std::snprintf(text, sizeof text, "%.2f us", ns / 1e3);
    else if (ns < 1e9)
        std::snprintf(text, sizeof text, "%.2f ms", ns / 1e6);
    else
        std::snprintf(text, sizeof text, "%.3f s", ns / 1e9);
    return text;
}

bool InRealTime(const Median &median)
{
    return median.name.find("/real_time") != std::string::npos;
}

std::string PerSecond(double ns)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", 1e9 / ns);
    return text;
}

std::optional<Median> Find(const std::vector<Median> &medians, const std::string &name)
{
    for (const Median &median : medians)
        if (median.name == name)
            return median;
    return std::nullopt;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::cerr << "usage: bench_report OUT_DIR SIGNATURE_LINE RESULT.json...\n";
        return 2;
    }
    const std::string folder = argv[1];
    const std::string signature = argv[2];
    std::vector<Median> medians;
    for (int k = 3; k < argc; ++k)
        for (const Median &median : ReadMedians(argv[k]))
            medians.push_back(median);

    std::ostringstream table;
    json out = {{"benchmarks", json::array()}, {"ratios", json::array()}, {"signature", signature}};
    bool allMet = true;
    table << "| benchmark | median real | median CPU | per second | target | met |\n"
          << "|---|---:|---:|---:|---|---|\n";
    for (const Median &median : medians) {
        json entry = {{"name", median.name}, {"real_ns", median.realNs}, {"cpu_ns", median.cpuNs}};
        std::string target = "";
        std::string met = "";
        const auto found = TARGETS.find(median.name);
        if (found != TARGETS.end()) {
            const double measured = InRealTime(median) ? median.realNs : median.cpuNs;
            const bool ok = measured <= found->second.limitNs;
            allMet = allMet && ok;
            target = std::string(found->second.text) + (InRealTime(median) ? " (real)" : " (CPU)");
            met = ok ? "yes" : "NO";
            entry["target"] = target;
            entry["met"] = ok;
        }
        table << "| " << median.name << " | " << Duration(median.realNs) << " | " << Duration(median.cpuNs) << " | "
              << PerSecond(InRealTime(median) ? median.realNs : median.cpuNs) << " | " << target << " | " << met
              << " |\n";
        out["benchmarks"].push_back(entry);
    }
    table << "\n| closed form vs fixed-step reference | Simulation (CPU) | Reference (CPU) | ratio |\n"
          << "|---|---:|---:|---:|\n";
    for (const Median &median : medians) {
        if (median.name.rfind("Reference/", 0) != 0)
            continue;
        const std::string shot = median.name.substr(10);
        const std::optional<Median> library = Find(medians, "Simulation/" + shot);
        if (!library)
            continue;
        const double ratio = median.cpuNs / library->cpuNs;
        char text[32];
        std::snprintf(text, sizeof text, "%.0fx", ratio);
        table << "| " << shot << " | " << Duration(library->cpuNs) << " | " << Duration(median.cpuNs) << " | " << text
              << " |\n";
        out["ratios"].push_back({{"throw", shot}, {"ratio", ratio}});
    }
    table << "\n" << signature << "\n";
    out["all_targets_met"] = allMet;

    std::cout << table.str();
    std::ofstream(folder + "/results.md") << table.str();
    std::ofstream(folder + "/results.json") << out.dump(1) << "\n";
    std::cout << "\nwritten: " << folder << "/results.md, " << folder << "/results.json\n";
    return allMet ? 0 : 1;
}

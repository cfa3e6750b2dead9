#include "learn/validation_report.h"

#include <cstdio>
#include <string>

namespace granite::learn {

namespace {

constexpr double PERCENT = 100.0;
constexpr double MICROSECONDS = 1e6;

std::string Format(const char *format, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void PrintLogLoss(const Validation &validation, std::ostream &out)
{
    out << "Log-loss of the end score for the hammer side (nats; lower is better), by shot index:\n";
    out << "shot  positions   network";
    for (const PlayoutBaseline &baseline : validation.baselines)
        out << "  " << Format("%4.0f", baseline.playouts) << (baseline.playouts == 1 ? " play-out " : " play-outs");
    out << "\n";
    for (int shot = 0; shot < SHOTS; ++shot) {
        const auto s = static_cast<std::size_t>(shot);
        if (validation.positionsByShot[s] == 0)
            continue;
        out << Format("%4.0f", shot) << "  " << Format("%9.0f", validation.positionsByShot[s]) << "  "
            << Format("%8.4f", validation.network.byShot[s]);
        for (const PlayoutBaseline &baseline : validation.baselines)
            out << "  " << Format("%14.4f", baseline.logLoss.byShot[s]);
        out << "\n";
    }
    out << " all  " << Format("%9.0f", static_cast<double>(validation.positions)) << "  "
        << Format("%8.4f", validation.network.overall);
    for (const PlayoutBaseline &baseline : validation.baselines)
        out << "  " << Format("%14.4f", baseline.logLoss.overall);
    out << "\nplay-outs' smoothing alpha (least loss among 0.01, 0.03, 0.1, 0.3, 1), by play-outs:";
    for (const PlayoutBaseline &baseline : validation.baselines)
        out << (&baseline == &validation.baselines.front() ? " " : ", ") << baseline.playouts << ": " << baseline.alpha;
    out << "\n\n";
}

void PrintCalibration(const Validation &validation, std::ostream &out)
{
    out << "Calibration of the network's chance of winning for the hammer side against the games' results:\n";
    out << "predicted   count  mean predicted  mean observed  difference (pp)  95% half width (pp)\n";
    for (int index = 0; index < CALIBRATION_BINS; ++index) {
        const CalibrationBin &bin = validation.calibration[static_cast<std::size_t>(index)];
        out << Format("%.1f", index / static_cast<double>(CALIBRATION_BINS)) << "-"
            << Format("%.1f", (index + 1) / static_cast<double>(CALIBRATION_BINS)) << "  "
            << Format("%6.0f", bin.count);
        if (bin.count > 0)
            out << "  " << Format("%14.4f", bin.predicted) << "  " << Format("%13.4f", bin.observed) << "  "
                << Format("%+15.1f", (bin.observed - bin.predicted) * PERCENT) << "  "
                << Format("%19.1f", bin.halfWidth * PERCENT);
        out << "\n";
    }
    out << "\n";
}

void PrintCost(const Validation &validation, std::ostream &out)
{
    out << "CPU time, one thread: " << Format("%.2f", validation.evaluationSeconds * MICROSECONDS)
        << " us per network evaluation (batches of " << EVALUATION_BATCH << "), "
        << Format("%.2f", validation.playoutSeconds * MICROSECONDS) << " us per play-out";
    if (validation.playoutSeconds > 0.0)
        out << ": one evaluation costs as much as "
            << Format("%.3f", validation.evaluationSeconds / validation.playoutSeconds) << " play-outs";
    out << "\n";
}

nlohmann::json LossJson(const LogLoss &loss)
{
    return {{"overall", loss.overall}, {"byShot", loss.byShot}};
}

}  // namespace

void PrintReport(const Validation &validation, std::ostream &out)
{
    out << validation.positions << " positions\n\n";
    PrintLogLoss(validation, out);
    PrintCalibration(validation, out);
    PrintCost(validation, out);
}

nlohmann::json ReportJson(const Validation &validation)
{
    nlohmann::json baselines = nlohmann::json::array();
    for (const PlayoutBaseline &baseline : validation.baselines)
        baselines.push_back(
            {{"playouts", baseline.playouts}, {"alpha", baseline.alpha}, {"logLoss", LossJson(baseline.logLoss)}});
    nlohmann::json calibration = nlohmann::json::array();
    for (const CalibrationBin &bin : validation.calibration)
        calibration.push_back({{"count", bin.count},
                               {"predicted", bin.predicted},
                               {"observed", bin.observed},
                               {"differencePoints", (bin.observed - bin.predicted) * PERCENT},
                               {"halfWidthPoints", bin.halfWidth * PERCENT}});
    const double ratio =
        validation.playoutSeconds > 0.0 ? validation.evaluationSeconds / validation.playoutSeconds : 0.0;
    return {{"positions", validation.positions},
            {"positionsByShot", validation.positionsByShot},
            {"network", {{"logLoss", LossJson(validation.network)}, {"calibration", calibration}}},
            {"playouts", baselines},
            {"cpuSeconds",
             {{"perEvaluation", validation.evaluationSeconds},
              {"evaluationBatch", EVALUATION_BATCH},
              {"perPlayout", validation.playoutSeconds},
              {"playoutsPerEvaluation", ratio}}}};
}

}  // namespace granite::learn

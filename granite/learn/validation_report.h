#pragma once

#include <ostream>

#include <nlohmann/json.hpp>

#include "learn/validation.h"

namespace granite::learn {

// The figures of a validation as tables for a reader.
void PrintReport(const Validation &validation, std::ostream &out);

// The same figures as JSON: log-losses in nats, chances in [0, 1], times in seconds.
nlohmann::json ReportJson(const Validation &validation);

}  // namespace granite::learn

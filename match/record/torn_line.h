#pragma once

#include <string>

namespace match::record {

// The words for a record whose last line a killed run left cut short:
// "PATH: the last line was cut short; its game " and then what becomes of
// that game ("is played again" when resuming, "is missing" in a summary).
std::string TornLineNote(const std::string &path, const std::string &fate);

}  // namespace match::record

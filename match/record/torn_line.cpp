#include "record/torn_line.h"

namespace match::record {

std::string TornLineNote(const std::string &path, const std::string &fate)
{
    return path + ": the last line was cut short; its game " + fate;
}

}  // namespace match::record

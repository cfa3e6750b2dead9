#include "granite_settings.h"

namespace {

GraniteSettings current = [] {
    GraniteSettings settings;
    settings.limits.thinkSeconds = DEFAULT_THINK_MS / 1000.0;
    return settings;
}();

}  // namespace

const GraniteSettings &Settings() { return current; }

void UseSettings(const GraniteSettings &settings) { current = settings; }

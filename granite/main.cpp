#include <optional>

#include "command_loop.h"
#include "granite_options.h"
#include "platform.h"

int main(int argc, char **argv)
{
    GraniteSettings settings = Settings();
    if (const std::optional<int> status = ParseOptions(argc, argv, settings)) return *status;
    UseSettings(settings);
    PrepareStandardStreams();
    return RunCommandLoop();
}

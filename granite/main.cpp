#include <optional>
#include <utility>

#include "command_loop.h"
#include "engine_decision.h"
#include "granite_decision.h"
#include "granite_engine.h"
#include "granite_options.h"
#include "platform.h"

int main(int argc, char **argv)
{
    granite::EngineOptions options;
    if (const std::optional<int> status = granite::ParseOptions(argc, argv, options))
        return *status;
    granite::Engine engine(std::move(options));
    engineDecision = granite::DecisionOf(engine);
    PrepareStandardStreams();
    return RunCommandLoop();
}

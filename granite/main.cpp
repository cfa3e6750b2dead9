#include <optional>

#include "command_loop.h"
#include "engine_decision.h"
#include "granite_decision.h"
#include "granite_engine.h"
#include "granite_options.h"
#include "platform.h"

int main(int argc, char **argv)
{
    granite::search::SearchLimits limits;
    if (const std::optional<int> status = granite::ParseOptions(argc, argv, limits))
        return *status;
    granite::Engine engine(limits);
    engineDecision = granite::DecisionOf(engine);
    PrepareStandardStreams();
    return RunCommandLoop();
}

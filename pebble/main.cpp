#include "command_loop.h"
#include "engine_decision.h"
#include "pebble_decision.h"
#include "platform.h"
#include "simulator.h"

int main()
{
    if (!LoadSimulator()) {
        return 1;
    }
    engineDecision = PebbleDecision();
    PrepareStandardStreams();
    return RunCommandLoop();
}

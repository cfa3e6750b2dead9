#include "command_loop.h"
#include "platform.h"
#include "simulator.h"

int main()
{
    if (!LoadSimulator()) {
        return 1;
    }
    PrepareStandardStreams();
    return RunCommandLoop();
}

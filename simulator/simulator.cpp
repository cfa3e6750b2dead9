#include "simulator.h"

#include "platform.h"

SimulatorBinding simulator = {};

namespace {

// Reports the loader's reason and answers false, so callers return at once.
bool Fail()
{
    ReportLibraryFailure(LoaderFailureReason());
    return false;
}

}  // namespace

bool LoadSimulator()
{
    void *library = OpenLibrary(PHYSICS_LIBRARY_FILE);
    if (library == nullptr) {
        return Fail();
    }
    LibraryFunction simulation = FindLibraryFunction(library, "Simulation");
    if (simulation == nullptr) {
        return Fail();
    }
    LibraryFunction createShot = FindLibraryFunction(library, "CreateShot");
    if (createShot == nullptr) {
        return Fail();
    }
    LibraryFunction createHitShot = FindLibraryFunction(library, "CreateHitShot");
    if (createHitShot == nullptr) {
        return Fail();
    }
    simulator.simulation = reinterpret_cast<SimulationFunction>(simulation);
    simulator.createShot = reinterpret_cast<CreateShotFunction>(createShot);
    simulator.createHitShot = reinterpret_cast<CreateHitShotFunction>(createHitShot);
    return true;
}

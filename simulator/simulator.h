#pragma once

#include "tessival.h"

// The three entry points of the physics library, bound once at start-up.
// Shot selection calls the library only through this record, so a test may
// bind functions of its own instead.
struct SimulatorBinding {
    SimulationFunction simulation;
    CreateShotFunction createShot;
    CreateHitShotFunction createHitShot;
};

extern SimulatorBinding simulator;

// Loads the physics library and binds "Simulation", "CreateShot" and
// "CreateHitShot". On failure the user is told why and the result is false.
bool LoadSimulator();

// The library's own generator, behind Simulation and SimulationTrace, serves
// one thread at a time. In this module it is drawn on by those calls and by
// pebble's decisions, which may run with Python's lock released: each of them
// holds this lock for as long as it uses the generator.
#pragma once

#include <mutex>

namespace tessival_python {

std::mutex &ProcessGeneratorMutex();

}  // namespace tessival_python

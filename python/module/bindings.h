// The parts of the extension module _tessival, each adding its functions to the module.
#pragma once

#include <pybind11/pybind11.h>

namespace tessival_python {

// create_shot, create_hit_shot, simulate, simulate_trace.
void BindThrows(pybind11::module_ &module);
// simulate_batch.
void BindBatch(pybind11::module_ &module);
// The sheet's measures and the rules of a position.
void BindRules(pybind11::module_ &module);
// A game as the runner plays it, and the engines' decisions in-process.
void BindGame(pybind11::module_ &module);
// pebble_shot and Granite; BindGame calls it after the Game they take.
void BindDecisions(pybind11::module_ &module);
// The engines' command loop with a Python function as the decision.
void BindEngineLoop(pybind11::module_ &module);

}  // namespace tessival_python

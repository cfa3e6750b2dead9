#include <pybind11/pybind11.h>

#include "bindings.h"

PYBIND11_MODULE(_tessival, module)
{
    module.doc() = "The tessival curling physics, the game's rules and the engines' decisions.";
    tessival_python::BindThrows(module);
    tessival_python::BindBatch(module);
    tessival_python::BindRules(module);
    tessival_python::BindGame(module);
    tessival_python::BindEngineLoop(module);
}

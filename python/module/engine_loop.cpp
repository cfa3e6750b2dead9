#include "bindings.h"

namespace tessival_python {

void BindEngineLoop(pybind11::module_ &) {}

}  // namespace tessival_python

#include "bindings.h"

namespace tessival_python {

void BindGame(pybind11::module_ &) {}

}  // namespace tessival_python

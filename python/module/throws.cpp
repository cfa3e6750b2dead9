#include "bindings.h"

namespace tessival_python {

void BindThrows(pybind11::module_ &) {}

}  // namespace tessival_python

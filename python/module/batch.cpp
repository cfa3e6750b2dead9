#include "bindings.h"

namespace tessival_python {

void BindBatch(pybind11::module_ &) {}

}  // namespace tessival_python

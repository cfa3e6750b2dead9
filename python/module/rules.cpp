#include "bindings.h"

namespace tessival_python {

void BindRules(pybind11::module_ &) {}

}  // namespace tessival_python

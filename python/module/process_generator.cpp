#include "process_generator.h"

namespace tessival_python {

std::mutex &ProcessGeneratorMutex()
{
    static std::mutex mutex;
    return mutex;
}

}  // namespace tessival_python

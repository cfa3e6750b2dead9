#include "platform.h"

#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

const char PHYSICS_LIBRARY_FILE[] = "libtessival.so";

namespace {

const char *lastFailure = "";

void WriteError(const char *text)
{
    const ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
    static_cast<void>(ignored);
}

}  // namespace

void *OpenLibrary(const char *fileName)
{
    void *library = dlopen(fileName, RTLD_NOW);
    if (library == nullptr) {
        lastFailure = dlerror();
    }
    return library;
}

LibraryFunction FindLibraryFunction(void *library, const char *name)
{
    dlerror();
    void *address = dlsym(library, name);
    if (address == nullptr) {
        const char *reason = dlerror();
        lastFailure = reason != nullptr ? reason : "the symbol is null";
        return nullptr;
    }
    return reinterpret_cast<LibraryFunction>(address);
}

const char *LoaderFailureReason()
{
    return lastFailure != nullptr ? lastFailure : "";
}

void ReportLibraryFailure(const char *reason)
{
    WriteError("エラー: libtessival.so の読み込みに失敗しました\n");
    WriteError(reason);
    WriteError("\n");
}

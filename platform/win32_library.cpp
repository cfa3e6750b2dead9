#include "platform.h"

#include <cstring>
#include <windows.h>

const char PHYSICS_LIBRARY_FILE[] = "Tessival.dll";

namespace {

char lastFailure[512] = "";

void RecordFailure()
{
    const DWORD code = GetLastError();
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        lastFailure, sizeof lastFailure, nullptr);
    if (length == 0) {
        lastFailure[0] = '\0';
    }
}

void WriteError(const char *text)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

}  // namespace

void *OpenLibrary(const char *fileName)
{
    HMODULE library = LoadLibraryA(fileName);
    if (library == nullptr) {
        RecordFailure();
    }
    return reinterpret_cast<void *>(library);
}

LibraryFunction FindLibraryFunction(void *library, const char *name)
{
    FARPROC address = GetProcAddress(static_cast<HMODULE>(library), name);
    if (address == nullptr) {
        RecordFailure();
        return nullptr;
    }
    return reinterpret_cast<LibraryFunction>(address);
}

const char *LoaderFailureReason()
{
    return lastFailure;
}

void ReportLibraryFailure(const char *reason)
{
    // Shift-JIS: caption "エラー", text "Tessival.dll の読み込みに失敗しました".
    static const char caption[] = "\x83\x47\x83\x89\x81\x5b";
    static const char text[] = "Tessival.dll "
                               "\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xc9"
                               "\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
    // A console, when there is one, also gets the loader's reason.
    WriteError(text);
    WriteError("\r\n");
    WriteError(reason);
    WriteError("\r\n");
    MessageBoxA(nullptr, text, caption, MB_OK);
}

#include "app/skin_loader_win.h"

#include <string>

#include "app/startup.h"
#include "base/codepage.h"
#include "base/handles_win.h"
#include "base/system.h"
#include "base/text.h"

namespace {

std::wstring wide(const Text& t) {
    std::u16string s = gbk_to_utf16(t);
    return std::wstring(s.begin(), s.end());
}

bool read_all(HANDLE file, ByteArray& out) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > (1 << 26)) return false;
    out.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < out.size()) {
        DWORD n = 0;
        if (!ReadFile(file, out.data() + done, static_cast<DWORD>(out.size() - done), &n, nullptr) || n == 0)
            return false;
        done += n;
    }
    return true;
}

SkinEngine with_function(HMODULE module) {
    SkinEngine engine;
    if (!module) return engine;
    FARPROC attach = GetProcAddress(module, skin_engine_function_name().c_str());
    if (!attach) {
        FreeLibrary(module);
        return engine;
    }
    return SkinEngine{SkinEngineLoad::loaded, module, attach};
}

// The file stays open, shared for reading only, from the comparison until the
// library is mapped: nobody can change or replace it in between.
SkinEngine load_verified(const std::wstring& path, HANDLE file, const ByteArray& carried) {
    ByteArray found;
    if (!read_all(file, found) || found != carried) return SkinEngine{SkinEngineLoad::refused, nullptr, nullptr};
    return with_function(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

bool file_exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

SkinEngine load_skin_engine(const Text& tool_directory, const Text& file_name, const ByteArray& carried) {
    std::wstring in_tool_directory = wide(text_concat(tool_directory, file_name));
    AutoCloseHandle file(CreateFileW(in_tool_directory.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid()) return load_verified(in_tool_directory, file.get(), carried);
    if (file_exists(in_tool_directory)) return SkinEngine{SkinEngineLoad::refused, nullptr, nullptr};

    // Not in the tool directory: the program's own directory, then the system's
    // libraries. The current directory and PATH are left out, as anyone may put
    // files there.
    std::wstring beside_program = wide(text_concat(run_directory(), "\\", file_name));
    if (file_exists(beside_program))
        return with_function(LoadLibraryExW(beside_program.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    return with_function(LoadLibraryExW(wide(file_name).c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

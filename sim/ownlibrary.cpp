#include "ownlibrary.h"

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <vector>
#else
#include <dlfcn.h>
#endif

namespace {

// An address inside this library, to ask the loader which file holds it.
void anchor() {}

#ifdef _WIN32
HMODULE ownModule()
{
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&anchor), &self))
        return nullptr;
    return self;
}
#endif

} // namespace

namespace OwnLibrary {

#ifdef _WIN32

std::string path()
{
    const HMODULE self = ownModule();
    if (!self)
        return std::string();
    // Long paths exceed MAX_PATH; the buffer grows until the name fits.
    std::vector<wchar_t> wide(MAX_PATH);
    DWORD length = 0;
    while ((length = GetModuleFileNameW(self, wide.data(), static_cast<DWORD>(wide.size()))) == wide.size()
           && wide.size() < 32768)
        wide.resize(wide.size() * 2);
    if (length == 0 || length == wide.size())
        return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(length), &utf8[0], bytes, nullptr, nullptr);
    std::replace(utf8.begin(), utf8.end(), '\\', '/');
    return utf8;
}

bool isModule(void* module)
{
    return module && reinterpret_cast<HMODULE>(module) == ownModule();
}

#else

std::string path()
{
    Dl_info info = {};
    if (!dladdr(reinterpret_cast<void*>(&anchor), &info) || !info.dli_fname)
        return std::string();
    return info.dli_fname;
}

bool isModule(void* module)
{
    const std::string own = path();
    if (!module || own.empty())
        return false;
    void* self = dlopen(own.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!self)
        return false;
    const bool same = self == module;
    dlclose(self);
    return same;
}

#endif

} // namespace OwnLibrary

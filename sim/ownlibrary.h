#ifndef LUMETRA_SIM_OWNLIBRARY_H
#define LUMETRA_SIM_OWNLIBRARY_H

#include <string>

// The library file the simulator was loaded from: every platform call of the
// simulator lives here, the Windows ones beside their POSIX equivalents.
namespace OwnLibrary {

// The file's path in UTF-8 with '/' separators; empty when the system does not tell.
std::string path();
// Whether module is the handle the loader gave for this library (a dlopen
// handle or an HMODULE).
bool isModule(void* module);

} // namespace OwnLibrary

#endif

# The names the driver library exports: its public classes (with their vtables,
# type information and thunks) and the setup functions. The version script keeps
# everything else local on ELF platforms, template instances of the standard
# library included; the symbol test checks the library against the same list.
set(LUMETRA_EXPORTED_NAMES
    accelInstrument accelParams_st accelMeasParams_st CIt8ToImageObj CTiffImg accelJobRequest
    accelConnect accelBringUp)

string(JOIN "|" names ${LUMETRA_EXPORTED_NAMES})
set(LUMETRA_EXPORTED_SYMBOL_REGEX
    "^(vtable for |typeinfo for |typeinfo name for |non-virtual thunk to )?(${names})(::|\\(|$)")

# Unquoted, so that they are globs; "?" stands for the blanks of the demangled names.
set(patterns "")
foreach(name ${LUMETRA_EXPORTED_NAMES})
    string(APPEND patterns "      ${name}::*;\n      ${name}?*;\n      vtable?for?${name};\n"
        "      typeinfo?for?${name};\n      typeinfo?name?for?${name};\n"
        "      non-virtual?thunk?to?${name}::*;\n")
endforeach()
set(LUMETRA_VERSION_SCRIPT ${CMAKE_BINARY_DIR}/lumetradriver.map)
file(WRITE ${LUMETRA_VERSION_SCRIPT} "{\n  global:\n    extern \"C++\" {\n${patterns}    };\n  local: *;\n};\n")

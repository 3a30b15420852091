# Windows: an installed folder runs on a machine with nothing else. Every DLL that
# the installed programs and libraries load, and that lies in the folders of Qt,
# libtiff, zlib or the compiler's runtime, is installed beside the executables
# (Windows looks for a program's DLLs in its own folder first). DLLs of the system
# itself are left alone: they are found in none of these folders.
if(NOT WIN32)
    return()
endif()

# The folders the DLLs may come from: beside the import libraries of Qt, libtiff and libpng or
# in the prefix's bin folder, and where the compiler finds its own runtime.
set(LUMETRA_RUNTIME_FOLDERS "")
get_target_property(qt_core_dll Qt5::Core IMPORTED_LOCATION_RELEASE)
if(NOT qt_core_dll)
    get_target_property(qt_core_dll Qt5::Core IMPORTED_LOCATION)
endif()
foreach(library ${qt_core_dll} ${TIFF_LIBRARIES} ${TIFF_LIBRARY} ${PNG_LIBRARIES})
    get_filename_component(folder "${library}" DIRECTORY)
    list(APPEND LUMETRA_RUNTIME_FOLDERS "${folder}" "${folder}/../bin")
endforeach()
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll zlib1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
        OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(IS_ABSOLUTE "${found}" AND EXISTS "${found}")
        get_filename_component(folder "${found}" DIRECTORY)
        list(APPEND LUMETRA_RUNTIME_FOLDERS "${folder}")
    endif()
endforeach()
foreach(root ${CMAKE_FIND_ROOT_PATH})
    list(APPEND LUMETRA_RUNTIME_FOLDERS "${root}/bin" "${root}/lib")
endforeach()
list(REMOVE_DUPLICATES LUMETRA_RUNTIME_FOLDERS)

# objdump reads the DLL names a Windows file imports, also on a Linux build machine.
find_program(LUMETRA_OBJDUMP NAMES ${CMAKE_OBJDUMP} x86_64-w64-mingw32-objdump objdump)

# The folders and tools are known now; the programs only once they are installed.
install(CODE "
    set(LUMETRA_RUNTIME_FOLDERS \"${LUMETRA_RUNTIME_FOLDERS}\")
    set(LUMETRA_OBJDUMP \"${LUMETRA_OBJDUMP}\")
    set(LUMETRA_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(LUMETRA_SIMDIR \"${CMAKE_INSTALL_LIBDIR}/lumetra/accel-sim\")
")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/installruntime.cmake)

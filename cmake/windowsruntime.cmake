# Windows: an installed folder runs on a machine with nothing else. Every DLL that
# the installed programs and libraries load, and that lies in the folders of Qt,
# libtiff, zlib or the compiler's runtime, is installed beside the executables
# (Windows looks for a program's DLLs in its own folder first). DLLs of the system
# itself are left alone: they are found in none of these folders.
if(NOT WIN32)
    return()
endif()

# The folders the DLLs may come from: beside Qt's and libtiff's import libraries or
# in the prefix's bin folder, and where the compiler finds its own runtime.
set(LUMETRA_RUNTIME_FOLDERS "")
get_target_property(qt_core_dll Qt5::Core IMPORTED_LOCATION_RELEASE)
if(NOT qt_core_dll)
    get_target_property(qt_core_dll Qt5::Core IMPORTED_LOCATION)
endif()
foreach(library ${qt_core_dll} ${TIFF_LIBRARIES} ${TIFF_LIBRARY})
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

install(CODE "
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND \"${LUMETRA_OBJDUMP}\")
    set(bin \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(GLOB programs \"\${bin}/*.exe\")
    file(GLOB libraries \"\${bin}/*.dll\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/lumetra/accel-sim/*.dll\")
    file(GET_RUNTIME_DEPENDENCIES
        EXECUTABLES \${programs}
        LIBRARIES \${libraries}
        DIRECTORIES \"\${bin}\" ${LUMETRA_RUNTIME_FOLDERS}
        RESOLVED_DEPENDENCIES_VAR found
        UNRESOLVED_DEPENDENCIES_VAR system)
    foreach(dll \${found})
        get_filename_component(name \"\${dll}\" NAME)
        if(NOT EXISTS \"\${bin}/\${name}\")
            file(INSTALL \"\${dll}\" DESTINATION \"\${bin}\")
        endif()
    endforeach()
")

# Run by cmake --install on Windows (see windowsruntime.cmake): copies every DLL that the
# installed programs, libraries and simulator load, directly or through each other, from
# LUMETRA_RUNTIME_FOLDERS into the programs' folder. What none of the folders holds is the
# system's own (KERNEL32.dll, ws2_32.dll, ...) and stays out.
cmake_policy(PUSH)
cmake_policy(SET CMP0057 NEW) # IN_LIST
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${LUMETRA_OBJDUMP}")
set(bin "${CMAKE_INSTALL_PREFIX}/${LUMETRA_BINDIR}")
file(GLOB programs "${bin}/*.exe")
file(GLOB libraries "${bin}/*.dll" "${CMAKE_INSTALL_PREFIX}/${LUMETRA_SIMDIR}/*.dll")
set(folders "${bin}" ${LUMETRA_RUNTIME_FOLDERS})

# Every DLL file of the folders by its lower-case name: the loader matches names without
# regard to case, objdump reports them lower-cased, and the build machine's files keep theirs
# (Qt5Core.dll).
set(known "")
foreach(folder ${folders})
    file(GLOB dlls "${folder}/*.dll" "${folder}/*.DLL")
    foreach(dll ${dlls})
        get_filename_component(name "${dll}" NAME)
        string(TOLOWER "${name}" lower)
        if(NOT DEFINED "file_${lower}")
            set("file_${lower}" "${dll}")
        endif()
    endforeach()
endforeach()

# Breadth first: the DLLs found in one round are scanned in the next.
set(scan_programs ${programs})
set(scan_libraries ${libraries})
set(copied "")
while(scan_programs OR scan_libraries)
    file(GET_RUNTIME_DEPENDENCIES
        EXECUTABLES ${scan_programs}
        LIBRARIES ${scan_libraries}
        DIRECTORIES ${folders}
        RESOLVED_DEPENDENCIES_VAR resolved
        UNRESOLVED_DEPENDENCIES_VAR unresolved
        CONFLICTING_DEPENDENCIES_PREFIX conflicting)
    set(scan_programs "")
    set(scan_libraries "")
    # A DLL copied in an earlier round is also found beside the programs: it is the same file.
    foreach(dependency ${resolved} ${unresolved} ${conflicting_FILENAMES})
        get_filename_component(name "${dependency}" NAME)
        string(TOLOWER "${name}" lower)
        if(NOT DEFINED "file_${lower}" OR lower IN_LIST copied)
            continue()
        endif()
        list(APPEND copied "${lower}")
        set(source "${file_${lower}}")
        get_filename_component(folder "${source}" DIRECTORY)
        if(NOT folder STREQUAL bin)
            file(INSTALL "${source}" DESTINATION "${bin}")
        endif()
        list(APPEND scan_libraries "${source}")
    endforeach()
endwhile()
cmake_policy(POP)

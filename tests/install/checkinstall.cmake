# Run by ctest (see CMakeLists.txt): install, build the host against the installed
# package, run the host and the installed lumetra. Each run gets a scratch folder
# of its own; it is removed on success and kept for inspection on failure.
string(RANDOM LENGTH 10 run)
set(scratch ${WORK_DIR}/scratch-${run})
set(prefix ${scratch}/prefix)
set(simulator ${prefix}/${INSTALL_LIBDIR}/lumetra/accel-sim)

function(run_step what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result STREQUAL "0")
        message(FATAL_ERROR "${what} failed (${result}):\n${output}\nKept ${scratch}")
    endif()
endfunction()

run_step("Installing" ${CMAKE_COMMAND} --install ${BUILD_DIR} --config ${BUILD_TYPE} --prefix ${prefix})

# Only the prefix is offered: the host must not reach into the build tree. A cross
# build's toolchain looks for packages under its roots only, so the prefix is one.
set(cross "")
set(host_runner "")
set(installed_runner "")
if(TOOLCHAIN_FILE)
    # Two roots in one list, which a command-line definition would split.
    file(WRITE ${scratch}/roots.cmake "set(LUMETRA_WINDOWS_PREFIX \"${WINDOWS_PREFIX};${prefix}\" CACHE STRING \"\")\n")
    set(cross -C ${scratch}/roots.cmake -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE})
endif()
if(EMULATOR)
    # The host finds the installed DLLs through the search path; the installed lumetra needs none.
    string(REPLACE "/" "\\" windows_bin "Z:${prefix}/${INSTALL_BINDIR}")
    set(host_runner ${CMAKE_COMMAND} -E env "WINEPATH=${windows_bin}" ${EMULATOR})
    set(installed_runner ${CMAKE_COMMAND} -E env --unset=WINEPATH ${EMULATOR})
endif()
run_step("Configuring the host" ${CMAKE_COMMAND} -S ${HOST_SOURCE_DIR} -B ${scratch}/host -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DCMAKE_CXX_COMPILER=${CXX_COMPILER} ${cross}
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${EXE_LINKER_FLAGS}"
    -DCMAKE_PREFIX_PATH=${prefix} -DQt5_DIR=${Qt5_DIR})
run_step("Building the host" ${CMAKE_COMMAND} --build ${scratch}/host --config ${BUILD_TYPE})
run_step("Running the host" ${host_runner} ${scratch}/host/lumetrahost${EXE_SUFFIX} ${simulator} ${SAMPLE_TARGET}
    ${scratch}/host.tif)

set(chart ${scratch}/chart.tif)
execute_process(COMMAND ${installed_runner} ${prefix}/${INSTALL_BINDIR}/lumetra${EXE_SUFFIX}
        -accellpath ${simulator} -it8 ${SAMPLE_TARGET} -tiffoutput ${chart}
        -patchperrow 8 -patchsizex 6 -patchsizey 6 -papersizex 210 -papersizey 297
        -numcolor 4 -numpatch 40 -prnconntype 3 -prnaddr 127.0.0.1 -prnmodel ILS30EP
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result STREQUAL "0" OR NOT EXISTS ${chart})
    set(log "(none)")
    if(EXISTS ${prefix}/${INSTALL_BINDIR}/lumetralog.txt)
        file(READ ${prefix}/${INSTALL_BINDIR}/lumetralog.txt log)
    endif()
    message(FATAL_ERROR "The installed lumetra failed (${result}):\n${output}\nIts log:\n${log}\nKept ${scratch}")
endif()

file(REMOVE_RECURSE ${scratch})

# Run by ctest (see CMakeLists.txt): install, check that every installed header
# compiles on its own and keeps the SDK's declarations out, build the examples
# against the installed package and run them and the installed lumetra with the
# simulator. Each run gets a scratch folder of its own; it is removed on success
# and kept for inspection on failure.
string(RANDOM LENGTH 10 run)
set(scratch ${WORK_DIR}/scratch-${run})
set(prefix ${scratch}/prefix)
set(simulator ${prefix}/${INSTALL_LIBDIR}/lumetra/accel-sim)

function(run_step what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result STREQUAL "0")
        message(FATAL_ERROR "${what} failed (${result}):\n${output}\nKept ${scratch}")
    endif()
    set(step_output "${output}" PARENT_SCOPE)
endfunction()

# A cross build's toolchain looks for packages under its roots only, so the prefix
# becomes one. The hosts find the installed DLLs through Wine's search path; the
# installed lumetra must need none.
set(cross "")
set(host_runner "")
set(installed_runner "")
if(TOOLCHAIN_FILE)
    # Two roots in one list, which a command-line definition would split.
    file(WRITE ${scratch}/roots.cmake "set(LUMETRA_WINDOWS_PREFIX \"${WINDOWS_PREFIX};${prefix}\" CACHE STRING \"\")\n")
    set(cross -C ${scratch}/roots.cmake -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE})
endif()
if(EMULATOR)
    string(REPLACE "/" "\\" windows_bin "Z:${prefix}/${INSTALL_BINDIR}")
    set(host_runner ${CMAKE_COMMAND} -E env "WINEPATH=${windows_bin}" ${EMULATOR})
    set(installed_runner ${CMAKE_COMMAND} -E env --unset=WINEPATH ${EMULATOR})
endif()

# build_host(<name> <source folder>): configures and builds a host project against the prefix only.
function(build_host name source)
    run_step("Configuring ${name}" ${CMAKE_COMMAND} -S ${source} -B ${scratch}/${name} -G ${GENERATOR}
        -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DCMAKE_CXX_COMPILER=${CXX_COMPILER} ${cross}
        "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${EXE_LINKER_FLAGS}"
        -DCMAKE_PREFIX_PATH=${prefix} -DQt5_DIR=${Qt5_DIR})
    run_step("Building ${name}" ${CMAKE_COMMAND} --build ${scratch}/${name} --config ${BUILD_TYPE})
endfunction()

run_step("Installing" ${CMAKE_COMMAND} --install ${BUILD_DIR} --config ${BUILD_TYPE} --prefix ${prefix})

# The SDK's records and table, and the loader, stay inside the driver.
set(sources "")
file(GLOB headers RELATIVE ${prefix}/include ${prefix}/include/lumetra/*.h ${prefix}/include/kelvora/*.h)
foreach(header ${headers})
    if(header MATCHES "(accelrecords|accelsdk|csdklibrary)\\.h$")
        message(FATAL_ERROR "${header} is installed; it belongs to the driver's inside. Kept ${scratch}")
    endif()
    file(STRINGS ${prefix}/include/${header} includes REGEX "#include")
    if(includes MATCHES "(accelrecords|accelsdk|csdklibrary)\\.h")
        message(FATAL_ERROR "${header} includes the driver's inside: ${includes}\nKept ${scratch}")
    endif()
    string(MAKE_C_IDENTIFIER ${header} stem)
    file(WRITE ${scratch}/headers/${stem}.cpp "#include <${header}>\n")
    list(APPEND sources ${stem}.cpp)
endforeach()
file(WRITE ${scratch}/headers/CMakeLists.txt "cmake_minimum_required(VERSION 3.16)
project(headers LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 17)
find_package(lumetra 1.0 REQUIRED)
add_library(headers OBJECT ${sources})
target_link_libraries(headers PRIVATE lumetra::lumetradriver)
")
build_host(headers-build ${scratch}/headers)

build_host(chart ${EXAMPLES_DIR}/chart)
run_step("Running the chart example" ${host_runner} ${scratch}/chart/chart${EXE_SUFFIX} ${simulator} ${SAMPLE_TARGET} ${scratch}/example.tif)
if(NOT step_output MATCHES "chart: [0-9]+ x [0-9]+ pixels, 4 channels")
    message(FATAL_ERROR "The chart example did not read its chart back:\n${step_output}\nKept ${scratch}")
endif()

build_host(measure ${EXAMPLES_DIR}/measure)
file(MAKE_DIRECTORY ${scratch}/data)
run_step("Running the measure example" ${host_runner} ${scratch}/measure/measure${EXE_SUFFIX} ${simulator} ${SAMPLE_TARGET} ${scratch}/data)
if(NOT step_output MATCHES "page measured" OR NOT EXISTS ${scratch}/data/meas_example_0.tmp)
    message(FATAL_ERROR "The measure example wrote no data file:\n${step_output}\nKept ${scratch}")
endif()

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

# Checks the installed package from the outside, in three steps run as separate tests:
#   STEP=install    installs the build tree into WORK_DIR/prefix
#   STEP=cmake      builds and runs a project that uses find_package(Kelvo)
#   STEP=pkg-config compiles and runs one file with the flags `pkg-config kelvo` gives
#   STEP=program    renders a page with the installed `kelvo`, which must find its library
#                   through its own run path (no LD_LIBRARY_PATH)
# Inputs: STEP BUILD_DIR WORK_DIR CONSUMER_DIR LIBDIR VERSION CXX GENERATOR MAKE_PROGRAM
#         EXTRA_FLAGS (sanitizer flags the library was built with, for compile and link).
cmake_minimum_required(VERSION 3.25)

set(prefix ${WORK_DIR}/prefix)
separate_arguments(extra_flags UNIX_COMMAND "${EXTRA_FLAGS}")

function(run_checked)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    string(JOIN " " command ${ARGN})
    message(FATAL_ERROR "failed (${result}): ${command}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

function(expect_consumer_output program)
  run_checked(${program})
  if(NOT last_output STREQUAL "kelvo consumer ok\n")
    message(FATAL_ERROR "unexpected output from ${program}: ${last_output}")
  endif()
endfunction()

if(STEP STREQUAL "install")
  file(REMOVE_RECURSE ${WORK_DIR})
  run_checked(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
  foreach(installed IN ITEMS include/kelvo/variant.h ${LIBDIR}/cmake/Kelvo/KelvoConfig.cmake
                             ${LIBDIR}/cmake/Kelvo/KelvoConfigVersion.cmake
                             ${LIBDIR}/cmake/Kelvo/KelvoTargets.cmake
                             ${LIBDIR}/pkgconfig/kelvo.pc)
    if(NOT EXISTS ${prefix}/${installed})
      message(FATAL_ERROR "install did not place ${installed}")
    endif()
  endforeach()
elseif(STEP STREQUAL "cmake")
  set(consumer_build ${WORK_DIR}/cmake-consumer)
  file(REMOVE_RECURSE ${consumer_build})
  string(JOIN " " flags ${extra_flags})
  run_checked(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${consumer_build} -G ${GENERATOR}
              -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM} -DCMAKE_CXX_COMPILER=${CXX}
              -DCMAKE_CXX_FLAGS=${flags} -DCMAKE_EXE_LINKER_FLAGS=${flags}
              -DCMAKE_PREFIX_PATH=${prefix} -DKELVO_EXPECTED_PREFIX=${prefix}
              -DKELVO_EXPECTED_VERSION=${VERSION})
  run_checked(${CMAKE_COMMAND} --build ${consumer_build})
  expect_consumer_output(${consumer_build}/consumer)
elseif(STEP STREQUAL "pkg-config")
  find_program(pkg_config pkg-config REQUIRED)
  set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
  run_checked(${pkg_config} --cflags --libs kelvo)
  string(STRIP "${last_output}" pc_flags)
  separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
  set(program ${WORK_DIR}/pkg-config-consumer)
  run_checked(${CXX} ${extra_flags} ${CONSUMER_DIR}/main.cpp ${pc_flags} -o ${program})
  set(ENV{LD_LIBRARY_PATH} ${prefix}/${LIBDIR})
  expect_consumer_output(${program})
elseif(STEP STREQUAL "program")
  set(page ${WORK_DIR}/installed.toml)
  file(WRITE ${page} "[[grid]]\nsql = \"SELECT 'installed' AS word\"\n")
  unset(ENV{LD_LIBRARY_PATH})
  run_checked(${prefix}/bin/kelvo render ${page} --db sqlite::memory:)
  if(NOT last_output MATCHES ">installed<")
    message(FATAL_ERROR "the installed kelvo rendered no grid:\n${last_output}")
  endif()
else()
  message(FATAL_ERROR "unknown STEP '${STEP}'")
endif()

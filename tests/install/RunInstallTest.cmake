# Installs the build into a scratch prefix, checks what landed there, builds
# a host against the installed package with a separate CMake project, runs
# it, and runs the installed runner.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DGENERATOR=... -DCXX=... -DOBJDUMP=... -P RunInstallTest.cmake
cmake_minimum_required(VERSION 3.20)
foreach(var BUILD_DIR WORK_DIR GENERATOR CXX OBJDUMP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "RunInstallTest.cmake needs -D${var}=...")
  endif()
endforeach()
get_filename_component(here "${CMAKE_CURRENT_LIST_FILE}" DIRECTORY)
set(prefix "${WORK_DIR}/prefix")
file(REMOVE_RECURSE "${WORK_DIR}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  message("$ ${ARGN}\n${out}${err}")
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "failed (${code}): ${ARGN}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")

# What must be there, and nothing of a shared library's version links.
include(GNUInstallDirs)
foreach(path bin/zel ${CMAKE_INSTALL_LIBDIR}/zel/libzel.so include/zel/zel.h
             ${CMAKE_INSTALL_LIBDIR}/cmake/ZEL/ZELConfig.cmake
             ${CMAKE_INSTALL_LIBDIR}/cmake/ZEL/ZELConfigVersion.cmake)
  if(NOT EXISTS "${prefix}/${path}" OR IS_SYMLINK "${prefix}/${path}")
    message(FATAL_ERROR "not installed as a file: ${path}")
  endif()
endforeach()
file(GLOB_RECURSE installed RELATIVE "${prefix}" "${prefix}/*")
list(FILTER installed INCLUDE REGEX "libzel")
if(NOT installed STREQUAL "${CMAKE_INSTALL_LIBDIR}/zel/libzel.so")
  message(FATAL_ERROR "module files installed: ${installed}")
endif()
run(${OBJDUMP} -p "${prefix}/${CMAKE_INSTALL_LIBDIR}/zel/libzel.so")
if(last_output MATCHES "SONAME")
  message(FATAL_ERROR "the installed module has a SONAME")
endif()

# A host of its own against the package.
run(${CMAKE_COMMAND} -S "${here}/host" -B "${WORK_DIR}/host" -G "${GENERATOR}"
    -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_PREFIX_PATH=${prefix}")
run(${CMAKE_COMMAND} --build "${WORK_DIR}/host")
run("${WORK_DIR}/host/installed_host")
if(NOT last_output MATCHES "installed module OK")
  message(FATAL_ERROR "the host did not confirm the module")
endif()

# The installed runner finds the installed module by itself.
run(${CMAKE_COMMAND} -E env --unset=ZEL_MODULE "${prefix}/bin/zel" --version)
if(NOT last_output MATCHES "^zel [0-9]")
  message(FATAL_ERROR "zel --version printed: ${last_output}")
endif()
file(WRITE "${WORK_DIR}/listsep.zel" "print zel.listsep\n")
run(${CMAKE_COMMAND} -E env --unset=ZEL_MODULE "${prefix}/bin/zel" "${WORK_DIR}/listsep.zel")
if(NOT last_output STREQUAL "44\n")
  message(FATAL_ERROR "the installed zel printed: ${last_output}")
endif()
message("install test passed")

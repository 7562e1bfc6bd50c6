# Runs one end-to-end case through the real binary and compares, byte for byte, the
# command file, standard output, standard error and exit code with the expected ones.
# The input must come out unchanged, and the run may leave no other file behind. A case
# may have a linker map beside its input, <case>.map, and arguments to put before the
# input's name, one a line, in <case>.args.
#
#   cmake -DTORVANE=... -DVERSION=v -DCASE=name -DCASES=dir -DWORK=dir -DEXIT=n -P run_golden.cmake
#
# EMULATOR runs the binary where it cannot run itself (Wine, for a Windows build). With
# CRLF set, the binary writes text with CR LF line ends, as Windows text mode does: the
# expected command file and messages are compared with every line feed as CR LF.
#
# The banner names the version: the expected standard output writes it @VERSION@, which
# stands for VERSION, the version of the build.
#
# With GOLDEN_UPDATE=1 in the environment the expected files are rewritten from the
# actual output instead, for review with git diff.

cmake_minimum_required(VERSION 3.25)

set(expected_dvk "${CASES}/${CASE}.dvk")
set(expected_out "${CASES}/${CASE}.stdout")
set(expected_err "${CASES}/${CASE}.stderr")
set(run_dir "${WORK}/run")

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${run_dir}")
file(COPY "${CASES}/${CASE}.cdb" DESTINATION "${run_dir}")
if(EXISTS "${CASES}/${CASE}.map")
  file(COPY "${CASES}/${CASE}.map" DESTINATION "${run_dir}")
endif()
set(arguments "")
if(EXISTS "${CASES}/${CASE}.args")
  file(STRINGS "${CASES}/${CASE}.args" arguments)
endif()

execute_process(
  COMMAND ${EMULATOR} "${TORVANE}" ${arguments} "${CASE}.cdb"
  WORKING_DIRECTORY "${run_dir}"
  RESULT_VARIABLE exit_code
  OUTPUT_FILE "${WORK}/stdout"
  ERROR_FILE "${WORK}/stderr")

if("$ENV{GOLDEN_UPDATE}" STREQUAL "1")
  if(EXISTS "${run_dir}/${CASE}.dvk")
    file(COPY_FILE "${run_dir}/${CASE}.dvk" "${expected_dvk}")
  else()
    file(REMOVE "${expected_dvk}")
  endif()
  file(READ "${WORK}/stdout" out)
  string(REPLACE "Torvane version ${VERSION}." "Torvane version @VERSION@." out "${out}")
  file(WRITE "${expected_out}" "${out}")
  file(SIZE "${WORK}/stderr" err_size)
  if(err_size GREATER 0)
    file(COPY_FILE "${WORK}/stderr" "${expected_err}")
  else()
    file(REMOVE "${expected_err}")
  endif()
  if(NOT exit_code STREQUAL EXIT)
    message(WARNING "${CASE}: exit code is now ${exit_code}; update the case table")
  endif()
  return()
endif()

set(failures "")

function(compare actual expected what)
  if(NOT EXISTS "${expected}")
    file(WRITE "${WORK}/empty" "")
    set(expected "${WORK}/empty")
  elseif(NOT what MATCHES "^the input")
    # Expected files hold no NUL byte and no CR LF of their own.
    get_filename_component(leaf "${expected}" NAME)
    file(READ "${expected}" text)
    string(REPLACE "@VERSION@" "${VERSION}" text "${text}")
    if(CRLF)
      string(REPLACE "\n" "\r\n" text "${text}")
    endif()
    file(WRITE "${WORK}/expected.${leaf}" "${text}")
    set(expected "${WORK}/expected.${leaf}")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${actual}" "${expected}"
                  RESULT_VARIABLE differs)
  if(differs)
    execute_process(COMMAND diff -u --text "${expected}" "${actual}" OUTPUT_VARIABLE delta)
    set(failures "${failures}\n${what} differs (expected ${expected}):\n${delta}" PARENT_SCOPE)
  endif()
endfunction()

if(NOT exit_code STREQUAL EXIT)
  set(failures "${failures}\nexit code ${exit_code}, expected ${EXIT}")
endif()
compare("${WORK}/stdout" "${expected_out}" "standard output")
compare("${WORK}/stderr" "${expected_err}" "standard error")
compare("${run_dir}/${CASE}.cdb" "${CASES}/${CASE}.cdb" "the input (it must not change)")

if(EXISTS "${expected_dvk}")
  if(EXISTS "${run_dir}/${CASE}.dvk")
    compare("${run_dir}/${CASE}.dvk" "${expected_dvk}" "the command file")
  else()
    set(failures "${failures}\nno command file was written")
  endif()
elseif(EXISTS "${run_dir}/${CASE}.dvk")
  set(failures "${failures}\na command file was written where none is expected")
endif()

file(GLOB left RELATIVE "${run_dir}" "${run_dir}/*")
list(REMOVE_ITEM left "${CASE}.cdb" "${CASE}.dvk" "${CASE}.map")
if(left)
  set(failures "${failures}\nunexpected files: ${left}")
endif()

if(failures)
  message(FATAL_ERROR "golden case ${CASE} failed:${failures}")
endif()

cmake_minimum_required(VERSION 3.25)
# Runs the layering check on the fixture tree and fails unless the check fails with exactly the
# violations of expected.txt: each one caught, nothing else reported.
#   cmake -DCHECK=<CheckLayers.cmake> -DHERE=<this folder> -P expect_violations.cmake
execute_process(
  COMMAND ${CMAKE_COMMAND} -DMJ_ROOT=${HERE}/fixture -DMJ_LAYERS=${HERE}/fixture/layers.cmake
    -DMJ_LINKS=${HERE}/fixture/links.cmake -P ${CHECK}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0)
  message(FATAL_ERROR "the layering check passed a tree that breaks the layering:\n${out}${err}")
endif()
string(REPLACE "\n" ";" lines "${err}")
list(FILTER lines INCLUDE REGEX "^(src|tests)/")
file(STRINGS ${HERE}/expected.txt expected)
list(SORT lines)
list(SORT expected)
if(NOT lines STREQUAL expected)
  string(REPLACE ";" "\n" lines "${lines}")
  string(REPLACE ";" "\n" expected "${expected}")
  message(FATAL_ERROR "the layering check reported\n${lines}\n\ninstead of\n${expected}")
endif()

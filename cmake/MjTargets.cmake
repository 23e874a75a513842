# Helpers that every subsystem's test, fuzz and benchmark folders use.

# mj_library(NAME LIBS ...): a static library of every .cpp in the current folder.
function(mj_library name)
  cmake_parse_arguments(L "" "" "LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    # A subsystem whose first sources have not landed yet still links.
    set(srcs ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${L_LIBS})
endfunction()

# mj_tests(PREFIX LIBS ... [LABELS ...]): in the current folder, each *_test.cpp becomes one
# test program and one ctest entry; each *_fuzz.cpp becomes a fuzz target (see mj_fuzzer).
function(mj_tests prefix)
  cmake_parse_arguments(T "" "" "LIBS;LABELS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB fuzzers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_fuzz.cpp)
  if(MJ_TESTS AND NOT MJ_FUZZ)
    foreach(src IN LISTS tests)
      get_filename_component(stem ${src} NAME_WE)
      set(target ${prefix}_${stem})
      add_executable(${target} ${src})
      target_link_libraries(${target} PRIVATE ${T_LIBS} mj_test_support GTest::gtest GTest::gmock GTest::gtest_main)
      add_test(NAME ${target} COMMAND ${target})
      set_tests_properties(${target} PROPERTIES
        LABELS "${prefix};${T_LABELS}"
        ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;MJ_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    endforeach()
  endif()
  foreach(src IN LISTS fuzzers)
    get_filename_component(stem ${src} NAME_WE)
    mj_fuzzer(${prefix}_${stem} ${src} LIBS ${T_LIBS})
  endforeach()
endfunction()

# A fuzz target defines LLVMFuzzerTestOneInput. In the clang fuzz build it is a libFuzzer
# binary; in the ordinary build it links a driver that feeds it seeded random and mutated
# inputs, and runs as a test so every build exercises the parser under the sanitizers.
function(mj_fuzzer name src)
  cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
  add_executable(${name} ${src})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(MJ_FUZZ)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE mj_fuzz_seed_init)
    set_property(GLOBAL APPEND PROPERTY MJ_FUZZ_TARGETS ${name})
  else()
    target_link_libraries(${name} PRIVATE mj_fuzz_driver)
    if(MJ_TESTS)
      add_test(NAME ${name} COMMAND ${name} -runs=20000)
      set_tests_properties(${name} PROPERTIES LABELS "fuzz"
        ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;MJ_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
    endif()
  endif()
endfunction()

# mj_benchmarks(PREFIX LIBS ...): each *_bench.cpp in the folder becomes one benchmark program.
function(mj_benchmarks prefix)
  cmake_parse_arguments(B "" "" "LIBS" ${ARGN})
  file(GLOB benches CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_bench.cpp)
  foreach(src IN LISTS benches)
    get_filename_component(stem ${src} NAME_WE)
    set(target bench_${prefix}_${stem})
    add_executable(${target} ${src})
    target_link_libraries(${target} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
    set_property(GLOBAL APPEND PROPERTY MJ_BENCH_TARGETS ${target})
  endforeach()
endfunction()

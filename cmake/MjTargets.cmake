# Helpers that every subsystem's test, fuzz and benchmark folders use.

# Marks a test as one of the long ones (MJ_SLOW_TESTS in tests/CMakeLists.txt): ctest starts it first.
function(mj_test_cost name)
  if(name IN_LIST MJ_SLOW_TESTS)
    set_tests_properties(${name} PROPERTIES COST 1000)
  endif()
endfunction()

# The layering table (cmake/Layers.cmake): its folders, in order from the bottom.
set(MJ_LAYERS "")
macro(mj_layer folder)
  list(APPEND MJ_LAYERS ${folder})
endmacro()
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

# The layering check (cmake/CheckLayers.cmake) runs before any library compiles, and again
# whenever a source, the table or a library's links change: an include or a link against the
# layering fails the build.
set(MJ_LAYER_LINKS ${CMAKE_BINARY_DIR}/layer_links.cmake)
file(GLOB_RECURSE mj_layer_inputs CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/*.h ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.inc
  ${CMAKE_SOURCE_DIR}/tests/*.h ${CMAKE_SOURCE_DIR}/tests/*.cpp
  ${CMAKE_SOURCE_DIR}/tools/*.h ${CMAKE_SOURCE_DIR}/tools/*.cpp
  ${CMAKE_SOURCE_DIR}/bench/*.h ${CMAKE_SOURCE_DIR}/bench/*.cpp)
set(MJ_LAYER_CHECK ${CMAKE_COMMAND} -DMJ_ROOT=${CMAKE_SOURCE_DIR} -DMJ_LINKS=${MJ_LAYER_LINKS}
  -P ${CMAKE_CURRENT_LIST_DIR}/CheckLayers.cmake)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/layering.stamp
  COMMAND ${MJ_LAYER_CHECK}
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/layering.stamp
  DEPENDS ${mj_layer_inputs} ${MJ_LAYER_LINKS} ${CMAKE_CURRENT_LIST_DIR}/Layers.cmake
    ${CMAKE_CURRENT_LIST_DIR}/CheckLayers.cmake
  COMMENT "Checking includes and links against the layering (cmake/Layers.cmake)"
  VERBATIM)
add_custom_target(layering DEPENDS ${CMAKE_BINARY_DIR}/layering.stamp)

# mj_library(NAME LIBS ...): a static library of every .cpp in the current folder, which must be
# a folder of the layering table. LIBS names exactly the libraries it uses: the layering check
# fails on a link the table does not allow, on a link whose headers the library never includes
# and on an include of a library it does not reach through its links.
function(mj_library name)
  cmake_parse_arguments(L "" "" "LIBS" ${ARGN})
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT folder IN_LIST MJ_LAYERS)
    message(FATAL_ERROR "src/${folder} is not in the layering: add its line to cmake/Layers.cmake")
  endif()
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    # A subsystem whose first sources have not landed yet still links.
    set(srcs ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${L_LIBS})
  set_target_properties(${name} PROPERTIES MJ_LAYER ${folder} MJ_LAYER_LIBS "${L_LIBS}")
  set_property(GLOBAL APPEND PROPERTY MJ_LAYER_LIBRARIES ${name})
  add_dependencies(${name} layering)
endfunction()

# Writes each library's in-project links for the layering check (called once every library
# has been made). The file changes only when a link does.
function(mj_write_layer_links)
  get_property(libs GLOBAL PROPERTY MJ_LAYER_LIBRARIES)
  set(text "# Written by the build: each library folder and the library folders it links.\n")
  foreach(lib IN LISTS libs)
    get_target_property(folder ${lib} MJ_LAYER)
    get_target_property(deps ${lib} MJ_LAYER_LIBS)
    set(dep_folders "")
    foreach(dep IN LISTS deps)
      if(TARGET ${dep})
        get_target_property(dep_folder ${dep} MJ_LAYER)
        if(dep_folder)
          list(APPEND dep_folders ${dep_folder})
        endif()
      endif()
    endforeach()
    list(JOIN dep_folders " " dep_folders)
    string(APPEND text "mj_links(${folder} ${dep_folders})\n")
  endforeach()
  set(old "")
  if(EXISTS ${MJ_LAYER_LINKS})
    file(READ ${MJ_LAYER_LINKS} old)
  endif()
  if(NOT old STREQUAL text)
    file(WRITE ${MJ_LAYER_LINKS} "${text}")
  endif()
endfunction()

# Test files compile in unity groups: each file of a test program joins one of MJ_UNITY_GROUPS
# translation units, picked by a hash of its name, so the headers and the test framework's code
# that every file shares are compiled once per group rather than once per file, and a file added
# or removed never moves the others between groups. Each group includes every header of its files
# before the files themselves (cmake/UnityGroup.cmake), so a `using namespace` of one file never
# reaches a header of another; but files of one program must not define the same names at file
# scope (anonymous namespaces included). 0 compiles each file alone.
set(MJ_UNITY_GROUPS 3 CACHE STRING "Unity translation units per test program (0: none)")
function(mj_test_unity target)
  if(MJ_UNITY_GROUPS LESS_EQUAL 0)
    return()
  endif()
  get_target_property(srcs ${target} SOURCES)
  set(groups "")
  foreach(src IN LISTS srcs)
    get_filename_component(src ${src} ABSOLUTE)
    get_filename_component(stem ${src} NAME_WE)
    string(MD5 hash ${stem})
    string(SUBSTRING ${hash} 0 6 hash)
    math(EXPR group "0x${hash} % ${MJ_UNITY_GROUPS}")
    list(APPEND group_${group} ${src})
    list(APPEND groups ${group})
  endforeach()
  list(REMOVE_DUPLICATES groups)
  foreach(group IN LISTS groups)
    list(LENGTH group_${group} count)
    if(count LESS 2)
      continue()
    endif()
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_unity_${group}.cpp)
    list(JOIN group_${group} "|" joined)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DSOURCES=${joined} -DOUT=${out} -P ${CMAKE_SOURCE_DIR}/cmake/UnityGroup.cmake
      DEPENDS ${group_${group}} ${CMAKE_SOURCE_DIR}/cmake/UnityGroup.cmake
      VERBATIM)
    set_source_files_properties(${group_${group}} TARGET_DIRECTORY ${target} PROPERTIES HEADER_FILE_ONLY ON)
    target_sources(${target} PRIVATE ${out})
  endforeach()
  # A fixture in an anonymous namespace is not in the group's main file, which GCC notes for each test.
  target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
endfunction()

# mj_tests(PREFIX LIBS ... [LABELS ...] [WINDOW stem ...] [HEAVY stem ...] [ALONE stem ...]): in the
# current folder, the *_test.cpp files become one test program, PREFIX_tests, and one ctest entry;
# each *_fuzz.cpp becomes a fuzz target (see mj_fuzzer). The tests named under WINDOW (by file
# stem) open real windows: each is a program of its own (PREFIX_stem) that runs on an X display of
# its own, so tests running side by side never cover each other's windows. Those named under ALONE
# are programs of their own too: long ones that ctest should run beside the rest, or ones that
# other folders' rules pick by name. The tests named under HEAVY run a share of their loops under
# the sanitizers (mjtest::heavyCount): the program holding them is labelled "heavy", and the
# release build runs it again at its whole counts.
function(mj_tests prefix)
  cmake_parse_arguments(T "" "" "LIBS;LABELS;WINDOW;HEAVY;ALONE" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB fuzzers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_fuzz.cpp)
  if(MJ_TESTS AND NOT MJ_FUZZ)
    set(shared "")
    set(shared_heavy FALSE)
    foreach(src IN LISTS tests)
      get_filename_component(stem ${src} NAME_WE)
      if(stem IN_LIST T_WINDOW OR stem IN_LIST T_ALONE)
        set(labels ${prefix} ${T_LABELS})
        if(stem IN_LIST T_HEAVY)
          list(APPEND labels heavy)
        endif()
        if(stem IN_LIST T_WINDOW)
          list(APPEND labels window)
        endif()
        mj_test_program(${prefix}_${stem} SOURCES ${src} LIBS ${T_LIBS} LABELS ${labels})
      else()
        list(APPEND shared ${src})
        if(stem IN_LIST T_HEAVY)
          set(shared_heavy TRUE)
        endif()
      endif()
    endforeach()
    if(shared)
      set(labels ${prefix} ${T_LABELS})
      if(shared_heavy)
        list(APPEND labels heavy)
      endif()
      mj_test_program(${prefix}_tests SOURCES ${shared} LIBS ${T_LIBS} LABELS ${labels})
    endif()
  endif()
  foreach(src IN LISTS fuzzers)
    get_filename_component(stem ${src} NAME_WE)
    mj_fuzzer(${prefix}_${stem} ${src} LIBS ${T_LIBS})
  endforeach()
endfunction()

# mj_test_program(NAME SOURCES ... LIBS ... LABELS ...): one test program and its ctest entry of
# the same name, run in the folder's build directory; a "window" label runs it on an X display of
# its own (tools/with-xvfb.sh).
function(mj_test_program target)
  cmake_parse_arguments(P "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${target} ${P_SOURCES})
  target_link_libraries(${target} PRIVATE ${P_LIBS} mj_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  mj_test_unity(${target})
  if("window" IN_LIST P_LABELS)
    add_test(NAME ${target} COMMAND bash ${CMAKE_SOURCE_DIR}/tools/with-xvfb.sh $<TARGET_FILE:${target}>)
  else()
    add_test(NAME ${target} COMMAND ${target})
  endif()
  set_tests_properties(${target} PROPERTIES
    LABELS "${P_LABELS}"
    ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;MJ_VIRTUAL_DISPLAY=1;MJ_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  mj_test_cost(${target})
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
      # A target whose inputs each cost much (a whole hand played) may set <name>_SANITIZED_RUNS
      # in its folder: it runs that many under the sanitizers, and the libFuzzer runs of the
      # test command give it its long loops.
      set(runs 20000)
      if(MJ_SANITIZE AND DEFINED ${name}_SANITIZED_RUNS)
        set(runs ${${name}_SANITIZED_RUNS})
      endif()
      add_test(NAME ${name} COMMAND ${name} -runs=${runs})
      set_tests_properties(${name} PROPERTIES LABELS "fuzz"
        ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;MJ_VIRTUAL_DISPLAY=1;MJ_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
      mj_test_cost(${name})
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
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/bench)
    set_property(GLOBAL APPEND PROPERTY MJ_BENCH_TARGETS ${target})
  endforeach()
endfunction()

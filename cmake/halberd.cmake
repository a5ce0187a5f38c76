# Build helpers shared by every folder.  Sources are picked up by glob so that
# adding a file never needs an edit here; re-run of cmake happens automatically.

# Adds each folder that has a CMakeLists.txt, in the order given.
function(halberd_add_folders)
  foreach(dir IN LISTS ARGN)
    if(EXISTS ${PROJECT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# halberd_library(<target> [DEPS <targets>...] [PRIVATE_DEPS <targets>...])
# One static library from every .cpp/.c below the current folder.
function(halberd_library target)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  # Program entry points (*_main.cpp) belong to executables, not libraries.
  list(FILTER srcs EXCLUDE REGEX "_main\\.c(pp)?$")
  if(NOT srcs)
    # Headers only, for now.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS} ${ARG_PRIVATE_DEPS})
    return()
  endif()
  add_library(${target} STATIC ${srcs})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  # Lower subsystems call up into higher ones, so the libraries form cycles:
  # a program's link line repeats them often enough for every member an
  # object pulled in late still needs.
  set_property(TARGET ${target} PROPERTY LINK_INTERFACE_MULTIPLICITY 3)
endfunction()

# halberd_calls_up(<lower target> <higher targets>...)
# Records that a lower subsystem calls up into higher ones (the neighbouring
# services it was written against), whatever kind of library the lower one is.
function(halberd_calls_up lower)
  get_target_property(kind ${lower} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(${lower} INTERFACE ${ARGN})
  else()
    target_link_libraries(${lower} PUBLIC ${ARGN})
  endif()
endfunction()

# Every executable of the project takes the tracked global allocation
# operators, so that all allocations are booked.
function(halberd_link_operators target)
  if(TARGET halberd_global_operators)
    target_link_libraries(${target} PRIVATE halberd_global_operators)
  endif()
endfunction()

# The entry of the test programs: it sets the environment the tests expect
# (ctest's per-test environment property is not used for this: it cannot
# carry more than one variable through the discovery step).
function(halberd_test_main)
  if(NOT TARGET halberd_test_main)
    add_library(halberd_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/test_main.cpp)
    target_link_libraries(halberd_test_main PUBLIC GTest::gtest)
  endif()
endfunction()

# With HALBERD_UNITY_TESTS (the test build's setting), a test program's
# sources are compiled in batches of up to HALBERD_UNITY_BATCH files of one
# folder, each batch one unit that includes its files in name order: the test
# framework's headers and the code they instantiate are compiled once a batch
# instead of once a file.  Files of one folder may share a unit, so names in
# their anonymous namespaces and their file-scope `using` directives meet:
# give the helpers of a folder's files names of their own.  A file that cannot
# share (rare) says so on a line of its own:
#   // halberd: own compile unit
function(halberd_unity_test_sources target)
  if(NOT HALBERD_UNITY_TESTS)
    return()
  endif()
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
  get_target_property(srcs ${target} SOURCES)
  list(SORT srcs)
  set(folders "")
  foreach(src IN LISTS srcs)
    file(STRINGS ${src} alone REGEX "^// halberd: own compile unit$" LIMIT_COUNT 1)
    if(alone)
      continue()
    endif()
    get_filename_component(folder ${src} DIRECTORY)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${folder})
    string(MAKE_C_IDENTIFIER "${folder}" key)
    if(NOT DEFINED count_${key})
      set(count_${key} 0)
    endif()
    math(EXPR batch "${count_${key}} / ${HALBERD_UNITY_BATCH}")
    math(EXPR count_${key} "${count_${key}} + 1")
    set_source_files_properties(${src} PROPERTIES UNITY_GROUP ${key}_${batch})
  endforeach()
  # Anonymous-namespace fixtures are used by the test classes of the same
  # unit; gcc cannot tell an included file from a header and would warn.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
  endif()
endfunction()

# halberd_test(<name> LIBS <targets>...)
# One GoogleTest binary from every *_test.cpp below the current folder.
function(halberd_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB_RECURSE helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_fixture.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(test_${name} ${srcs} ${helpers})
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  halberd_unity_test_sources(test_${name})
  halberd_test_main()
  # The test programs' own sources may take flags of their own (the test
  # build compiles them without optimisation: the code under test keeps the
  # build's flags, and the tests' code is mostly calls into it).
  if(HALBERD_TEST_SOURCE_FLAGS)
    separate_arguments(source_flags UNIX_COMMAND "${HALBERD_TEST_SOURCE_FLAGS}")
    target_compile_options(test_${name} PRIVATE ${source_flags})
  endif()
  target_link_libraries(test_${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock halberd_test_main)
  halberd_link_operators(test_${name})
  # GCC's LeakSanitizer crashes at exit scanning a stale dynamic-TLS record
  # of the software GL driver's LLVM library (loaded and dropped by the GL
  # library at run time); loaded up front, its TLS is static and the exit
  # check runs.  The sanitizer runtime then no longer comes first, which it
  # is told to accept.
  if(HALBERD_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    file(GLOB gl_llvm /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/libLLVM-*.so.1)
    if(gl_llvm)
      list(SORT gl_llvm COMPARE NATURAL ORDER DESCENDING)
      list(GET gl_llvm 0 gl_llvm)
      set_target_properties(test_${name} PROPERTIES CROSSCOMPILING_EMULATOR
        "${CMAKE_COMMAND};-E;env;--modify;LD_PRELOAD=path_list_prepend:${gl_llvm};--modify;ASAN_OPTIONS=string_append::verify_asan_link_order=0")
    endif()
  endif()
  gtest_discover_tests(test_${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 600)
endfunction()

# halberd_benchmark(<name> SOURCES <files> LIBS <targets>...)
function(halberd_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(bench_${name} ${ARG_SOURCES})
  # Benchmarks may share the tests' fixtures, named from the tests folder.
  target_include_directories(bench_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(bench_${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
  halberd_link_operators(bench_${name})
endfunction()

# halberd_fuzzer(<name> SOURCES <files> LIBS <targets>... [DICT <file>]
#                [SEEDS <files or folders>...] [SEEDS_FROM <targets>...] [SELF_SEEDS])
# The libFuzzer target fuzz_<name>.  DICT (its format's magic words) is copied
# beside the program as fuzz_<name>.dict; SEEDS (valid files made by the build,
# e.g. a tool's output; SEEDS_FROM names the targets that make them) are copied
# at build time into ${HALBERD_FUZZ_SEEDS}/fuzz_<name>, where the seed writers
# (halberd_fuzz_seed_writer) also write.  `make fuzz` starts each target from
# that folder and its dictionary.  SELF_SEEDS: the target writes its own seeds
# through the engine's writers when started with HALBERD_WRITE_SEEDS=<folder>;
# the build does that once into the same folder.
function(halberd_fuzzer name)
  cmake_parse_arguments(ARG "SELF_SEEDS" "DICT" "SOURCES;LIBS;SEEDS;SEEDS_FROM" ${ARGN})
  # Every target runs quiet (fuzz/fuzz_quiet.cpp).
  add_executable(fuzz_${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/fuzz_quiet.cpp)
  target_include_directories(fuzz_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS} platform_win32)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  halberd_link_operators(fuzz_${name})
  if(ARG_DICT)
    configure_file(${ARG_DICT} ${CMAKE_CURRENT_BINARY_DIR}/fuzz_${name}.dict COPYONLY)
  endif()
  if(ARG_SEEDS)
    set(folder ${HALBERD_FUZZ_SEEDS}/fuzz_${name})
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/fuzz_${name}_seeds.stamp)
    add_custom_command(OUTPUT ${stamp}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                       COMMAND ${CMAKE_COMMAND} -E copy ${ARG_SEEDS} ${folder}
                       COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
                       DEPENDS ${ARG_SEEDS_FROM}
                       COMMENT "Seeds of fuzz_${name}")
    add_custom_target(fuzz_${name}_seeds DEPENDS ${stamp})
    add_dependencies(halberd_fuzz_seeds fuzz_${name}_seeds)
  endif()
  if(ARG_SELF_SEEDS)
    set(folder ${HALBERD_FUZZ_SEEDS}/fuzz_${name})
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/fuzz_${name}_self_seeds.stamp)
    add_custom_command(OUTPUT ${stamp}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                       COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 HALBERD_WRITE_SEEDS=${folder}
                               $<TARGET_FILE:fuzz_${name}> -runs=0
                       COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
                       DEPENDS fuzz_${name}
                       COMMENT "Seeds of fuzz_${name}, written by the target itself")
    add_custom_target(fuzz_${name}_self_seeds DEPENDS ${stamp})
    add_dependencies(halberd_fuzz_seeds fuzz_${name}_self_seeds)
  endif()
endfunction()

# halberd_fuzz_seed_writer(<name> SOURCES <files> LIBS <targets>...)
# A program run at build time as `<name> ${HALBERD_FUZZ_SEEDS}`: it writes
# valid files through the project's own writers (or the tests' fixture
# writers) into fuzz_<target>/ folders there, one per fuzz target it serves.
function(halberd_fuzz_seed_writer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/fuzz)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  halberd_link_operators(${name})
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}.stamp)
  add_custom_command(OUTPUT ${stamp}
                     COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 SDL_VIDEODRIVER=offscreen
                             $<TARGET_FILE:${name}> ${HALBERD_FUZZ_SEEDS}
                     COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
                     DEPENDS ${name}
                     COMMENT "Writing fuzz seeds with ${name}")
  add_custom_target(${name}_run DEPENDS ${stamp})
  add_dependencies(halberd_fuzz_seeds ${name}_run)
endfunction()

# Helpers every subsystem's CMakeLists uses, so targets get the same flags and tests
# are registered the same way in every build.

# The project version reaches the code (about box) through one generated header, and the
# installer script through the same file in the build tree.
configure_file(${PROJECT_SOURCE_DIR}/cmake/tamber_version.h.in
               ${PROJECT_BINARY_DIR}/generated/tamber_version.h @ONLY)
include_directories(${PROJECT_BINARY_DIR}/generated)

function(tamber_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # GCC 12 reports false -Wrestrict errors inside std::string at -O3.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# tamber_library(name SOURCES ... [DEPS ...])
function(tamber_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${A_DEPS})
  tamber_warnings(${name})
endfunction()

# Portable tests: built and run in the native builds only.
# tamber_test(name SOURCES ... [DEPS ...])
function(tamber_test name)
  if(WIN32 OR NOT TAMBER_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} tamber_gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  tamber_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# Windows tests: built by the mingw builds, run under Wine through the toolchain's emulator.
# tamber_wine_test(name SOURCES ... [DEPS ...] [NO_GTEST] [SERIAL])
# SERIAL: the test drives the display with real mouse and keyboard input, so no other test
# may run alongside it.
# TESTS: GoogleTest names (Suite.Test) registered one by one, each a program of its own, so
# that each runs in a Wine session of its own (CI starts one per program).
function(tamber_wine_test name)
  if(NOT WIN32 OR NOT TAMBER_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "NO_GTEST;SERIAL" "" "SOURCES;DEPS;TESTS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  if(NOT A_NO_GTEST)
    target_link_libraries(${name} PRIVATE tamber_gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  tamber_warnings(${name})
  if(TAMBER_RUN_WINE_TESTS)
    set(registered)
    if(A_TESTS)
      foreach(test ${A_TESTS})
        add_test(NAME ${name}.${test} COMMAND ${name} --gtest_filter=${test})
        list(APPEND registered ${name}.${test})
      endforeach()
    else()
      add_test(NAME ${name} COMMAND ${name})
      set(registered ${name})
    endif()
    set_tests_properties(${registered} PROPERTIES TIMEOUT 300)
    if(A_SERIAL)
      set_tests_properties(${registered} PROPERTIES RUN_SERIAL TRUE)
    endif()
  endif()
endfunction()

# A Wine end-to-end test of the programs against the stand-in ACT!: drives the display, so it
# runs alone; knows where tamber.exe, gauge, the stand-in, actctl and the sample database are.
# ADDON_EXE: another build's tamber.exe (with its gauge.exe beside it) instead of this one's.
# tamber_e2e_test(name SOURCES ... [DEPS ...] [ADDON_EXE path] [TESTS ...])
function(tamber_e2e_test name)
  if(NOT WIN32 OR NOT TAMBER_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "" "ADDON_EXE" "SOURCES;DEPS;TESTS" ${ARGN})
  if(NOT A_ADDON_EXE)
    set(A_ADDON_EXE $<TARGET_FILE:tamber>)
  endif()
  tamber_wine_test(${name} SOURCES ${A_SOURCES}
                   DEPS standin_test_session tamber_forms_win32_testing ${A_DEPS} SERIAL
                   TESTS ${A_TESTS})
  add_dependencies(${name} actstandin actctl tamber gauge)
  target_compile_definitions(${name} PRIVATE
    TAMBER_EXE="${A_ADDON_EXE}"
    STANDIN_EXE="$<TARGET_FILE:actstandin>"
    ACTCTL_EXE="$<TARGET_FILE:actctl>"
    SAMPLE_DB="${PROJECT_SOURCE_DIR}/src/actdb/sample/Contacts.dbf")
endfunction()

# Native benchmarks (Google Benchmark); not part of the test run.
function(tamber_benchmark name)
  if(WIN32 OR NOT TARGET benchmark::benchmark)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} benchmark::benchmark)
  tamber_warnings(${name})
endfunction()

# libFuzzer targets, built in the clang sanitizer build; each runs for a bounded time as a test.
# tamber_fuzzer(name SOURCES ... [DEPS ...] [CORPUS dir] [SECONDS n])
function(tamber_fuzzer name)
  if(WIN32 OR NOT TAMBER_FUZZ)
    return()
  endif()
  cmake_parse_arguments(A "" "CORPUS;SECONDS" "SOURCES;DEPS" ${ARGN})
  if(NOT A_SECONDS)
    set(A_SECONDS 20)
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  tamber_warnings(${name})
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
  file(MAKE_DIRECTORY ${work})
  add_test(NAME ${name} COMMAND ${name} -max_total_time=${A_SECONDS} -rss_limit_mb=2048 ${work} ${A_CORPUS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# A Windows GUI program with the project's version resource and icon. The manifest (common
# controls 6, DPI aware) comes with the forms renderer that every program links.
# tamber_program(name ICON file DESCRIPTION text SOURCES ... DEPS ...)
function(tamber_program name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(A "" "ICON;DESCRIPTION" "SOURCES;DEPS" ${ARGN})
  set(NAME ${name})
  set(ICON ${A_ICON})
  set(DESCRIPTION ${A_DESCRIPTION})
  set(V1 ${PROJECT_VERSION_MAJOR})
  set(V2 ${PROJECT_VERSION_MINOR})
  set(V3 ${PROJECT_VERSION_PATCH})
  configure_file(${PROJECT_SOURCE_DIR}/src/app/res/version.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc @ONLY)
  add_executable(${name} WIN32 ${A_SOURCES} ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc)
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  tamber_warnings(${name})
  # Programs land side by side: tamber starts gauge from its own folder.
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  # ACT!'s toolbar and menu show the program's icon files, registered beside the executable.
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${A_ICON} ${CMAKE_BINARY_DIR}/bin/${name}.ico
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${A_ICON} ${CMAKE_BINARY_DIR}/bin/${name}32.ico)
endfunction()

# Test areas and bench executables: each folder of tests/ and bench/ is one
# executable built from every source file in that folder, so a new file needs
# no CMake edit. Areas whose code needs Qt say QT and are left out when the
# application is not built (QUILLMAR_BUILD_APP=OFF).

# Adds the executable <target> of every .cpp and .h in the calling folder but
# the names given after it, with the project's warnings.
function(quillmar_area_executable target)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(name ${ARGN})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${name})
  endforeach()
  add_executable(${target} ${sources})
  quillmar_warnings(${target})
endfunction()

# quillmar_add_test_area(<name> [QT] [OWN_MAIN]
#                        [LIBS <target>...] [DEFINES <define>...]
#                        [RUNNER <command>...]
#                        [EXCLUDE <file>...])
# Builds <name>_tests from the calling folder and registers its GoogleTest
# cases with CTest under the label <name>.
#   QT        needs the application libraries; links Qt6::Test and runs on
#             the offscreen platform.
#   OWN_MAIN  the area brings its own main(); links GoogleTest alone instead
#             of the shared test support (which holds gtest_main).
#   RUNNER    command that starts the test binary, for the listing at build
#             time as for every test.
#   EXCLUDE   files of the folder that belong to other targets.
function(quillmar_add_test_area name)
  cmake_parse_arguments(PARSE_ARGV 1 AREA "QT;OWN_MAIN" "" "LIBS;DEFINES;RUNNER;EXCLUDE")
  if(AREA_QT AND NOT QUILLMAR_BUILD_APP)
    return()
  endif()
  set(target ${name}_tests)

  quillmar_area_executable(${target} ${AREA_EXCLUDE})
  if(AREA_OWN_MAIN)
    target_link_libraries(${target} PRIVATE GTest::gtest)
  else()
    target_link_libraries(${target} PRIVATE quillmar_testsupport)
  endif()
  target_link_libraries(${target} PRIVATE ${AREA_LIBS})
  set(properties LABELS ${name})
  if(AREA_QT)
    target_link_libraries(${target} PRIVATE Qt6::Test)
    list(APPEND properties ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
  if(AREA_DEFINES)
    target_compile_definitions(${target} PRIVATE ${AREA_DEFINES})
  endif()
  if(AREA_RUNNER)
    set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR "${AREA_RUNNER}")
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()

# quillmar_add_bench(<name> [QT] [LIBS <target>...])
# Builds <name>_bench from the calling folder.
function(quillmar_add_bench name)
  cmake_parse_arguments(PARSE_ARGV 1 BENCH "QT" "" "LIBS")
  if(BENCH_QT AND NOT QUILLMAR_BUILD_APP)
    return()
  endif()
  quillmar_area_executable(${name}_bench)
  target_link_libraries(${name}_bench PRIVATE ${BENCH_LIBS})
endfunction()

# Common compile settings for every project target.
function(kelto_target_defaults target)
  # No -Wpedantic: VARIANT keeps the anonymous struct of the scripting ABI.
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-missing-field-initializers)
  if(KELTO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(KELTO_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# kelto_library(NAME <target> [SHARED|STATIC] DIR <dir> DEPS <targets...>)
# One library per source folder; its sources are the .cpp files of that folder
# (not recursive), so that layering is carried by target dependencies.
function(kelto_library)
  cmake_parse_arguments(ARG "SHARED;STATIC;OBJECT" "NAME" "DEPS;SOURCES" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(APPEND srcs ${ARG_SOURCES})
  if(NOT srcs)
    # A folder that so far holds only headers.
    add_library(${ARG_NAME} INTERFACE)
    target_include_directories(${ARG_NAME} INTERFACE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/include)
    target_link_libraries(${ARG_NAME} INTERFACE ${ARG_DEPS})
    return()
  endif()
  if(ARG_SHARED)
    add_library(${ARG_NAME} SHARED ${srcs})
  elseif(ARG_OBJECT)
    add_library(${ARG_NAME} OBJECT ${srcs})
  else()
    add_library(${ARG_NAME} STATIC ${srcs})
  endif()
  target_include_directories(${ARG_NAME} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${ARG_NAME} PUBLIC ${ARG_DEPS})
  kelto_target_defaults(${ARG_NAME})
endfunction()

# kelto_test(NAME <target> DEPS <targets...>): one GoogleTest executable made of
# the .cpp files of the current test folder.
function(kelto_test)
  cmake_parse_arguments(ARG "" "NAME" "DEPS;SOURCES" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(APPEND srcs ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/TestEnvironment.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${ARG_NAME} ${srcs})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_DEPS} kelto-test-support GTest::gtest GTest::gmock)
  kelto_target_defaults(${ARG_NAME})
  gtest_discover_tests(${ARG_NAME} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "KELTO_TEST_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()

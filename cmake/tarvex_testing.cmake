# Test helpers shared by every folder under tests/.
#
# tarvex_test(NAME <name> SOURCES <files...> LIBS <targets...>
#             [WINDOWS_ONLY] [NATIVE_ONLY] [ALSO_ON_POSTGRESQL]
#             [WRAPPER <command...>] [LABELS <labels...>])
#
# Builds one GoogleTest executable and registers it with ctest. In the Windows
# build it runs under Wine (the toolchain's emulator); with WRAPPER the wrapper
# command is run first and receives the test command after its own arguments
# (for tests that need a server or a display started around them). With
# ALSO_ON_POSTGRESQL the same command is registered a second time as
# <name>_postgresql, with TARVEX_SERVER_ENGINE=postgresql, so a wrapper
# tools/harness/with_server.sh runs the reference server on PostgreSQL. Tests
# labelled gui or e2e hold the wine_desktop resource lock; add further locks
# with set_property(... APPEND PROPERTY RESOURCE_LOCK ...).
if(WIN32)
  if(NOT TARGET gtest)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # GoogleTest's sources are plain ASCII; keep our charset options off them.
    foreach(t gtest gtest_main gmock gmock_main)
      if(TARGET ${t})
        set_target_properties(${t} PROPERTIES COMPILE_OPTIONS "")
      endif()
    endforeach()
  endif()
  set(TARVEX_GTEST_LIBS gtest gtest_main)
else()
  find_package(GTest REQUIRED)
  set(TARVEX_GTEST_LIBS GTest::gtest GTest::gtest_main)
endif()

set(TARVEX_TOOLS_DIR ${CMAKE_SOURCE_DIR}/tools)

function(tarvex_test)
  cmake_parse_arguments(T "WINDOWS_ONLY;NATIVE_ONLY;ALSO_ON_POSTGRESQL" "NAME" "SOURCES;LIBS;WRAPPER;LABELS" ${ARGN})
  if(T_WINDOWS_ONLY AND NOT WIN32)
    return()
  endif()
  if(T_NATIVE_ONLY AND WIN32)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} tests_support ${TARVEX_GTEST_LIBS})
  if(WIN32)
    set(run ${TARVEX_TOOLS_DIR}/env/wine_run.sh $<TARGET_FILE:${T_NAME}>)
  else()
    set(run $<TARGET_FILE:${T_NAME}>)
  endif()
  set(environment "TARVEX_SOURCE_DIR=${CMAKE_SOURCE_DIR};TARVEX_BUILD_DIR=${CMAKE_BINARY_DIR};TARVEX_NATIVE_DIR=${TARVEX_NATIVE_DIR};WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
  tarvex_register_test(${T_NAME} "${environment}" "${T_LABELS}" ${T_WRAPPER} ${run})
  if(T_ALSO_ON_POSTGRESQL)
    tarvex_register_test(${T_NAME}_postgresql "${environment};TARVEX_SERVER_ENGINE=postgresql" "${T_LABELS}"
                         ${T_WRAPPER} ${run})
  endif()
endfunction()

function(tarvex_register_test name environment labels)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}" LABELS "${labels}")
  # Programs under test share one display and so one foreground window: tests
  # that drive windows take turns, so no other test's window takes the focus
  # a dialog relies on (Enter going to its default button, for one).
  if("gui" IN_LIST labels OR "e2e" IN_LIST labels)
    set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK wine_desktop)
  endif()
endfunction()

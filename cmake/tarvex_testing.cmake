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

# The loopback addresses the tests serve on, or name as a server's, one
# table: tests run side by side, also those of other checkouts on this
# machine, so every address belongs to one test (or one tool of a test
# folder) and appears nowhere else. Each NAME ADDRESS pair reaches the tests
# as TEST_ADDRESS_<NAME>: a CMake variable for the test folders' CMakeLists,
# an environment variable of every test (and in <build>/tests/support/
# test_addresses.env for scripts run by hand), and a string literal macro of
# tests/support/test_addresses.h. The built-in data server 127.0.0.1, which
# the programs' own defaults name, and the client addresses 127.0.0.x that
# server tests connect from to one server are not in it.
set(TARVEX_TEST_ADDRESSES
  # tests/common: the link against a scripted and the reference server
  COMMON_SCRIPTED_SERVER          127.0.10.2
  COMMON_REFERENCE_SERVER         127.0.10.3
  COMMON_UNREACHABLE              127.0.10.9
  # tests/https (with_tls_front.sh; tools/bench/bench_link.sh borrows it)
  HTTPS_FRONT                     127.0.15.1
  HTTPS_UNKNOWN_ISSUER            127.0.15.2
  HTTPS_OTHER_HOST                127.0.15.3
  HTTPS_EXPIRED                   127.0.15.4
  HTTPS_REDIRECTING               127.0.15.5
  HTTPS_RELAY                     127.0.15.6
  HTTPS_PROXY                     127.0.15.8
  HTTPS_SERVER                    127.0.15.9
  # tests/server: servers on 127.0.20.x, PostgreSQL clusters on 127.0.21.x
  SERVER_WITH_SERVER              127.0.20.1
  SERVER_HTTP                     127.0.20.2
  SERVER_HTTP_POSTGRESQL          127.0.20.12
  SERVER_HTTP_CLUSTER             127.0.21.2
  SERVER_CONCURRENCY              127.0.20.3
  SERVER_CONCURRENCY_POSTGRESQL   127.0.20.13
  SERVER_CONCURRENCY_CLUSTER      127.0.21.3
  SERVER_BENCH                    127.0.20.9
  SERVER_SHARED_STORE_FIRST       127.0.20.21
  SERVER_SHARED_STORE_SECOND      127.0.20.22
  SERVER_SHARED_STORE_READER      127.0.20.23
  SERVER_SHARED_STORE_CLUSTER     127.0.21.4
  SERVER_SHARED_STORE_REPLICA     127.0.21.14
  SERVER_HARDENING                127.0.20.31
  SERVER_HARDENING_POSTGRESQL     127.0.20.32
  SERVER_HARDENING_OWN            127.0.20.33
  SERVER_HARDENING_CLUSTER        127.0.21.5
  SERVER_METERED_READS            127.0.20.35
  SERVER_METERED_READS_POSTGRESQL 127.0.20.36
  SERVER_METERED_READS_CLUSTER    127.0.21.8
  SERVER_ADMIN_TOOL               127.0.20.41
  SERVER_ADMIN_TOOL_POSTGRESQL    127.0.20.42
  SERVER_ADMIN_TOOL_CLUSTER       127.0.21.6
  SERVER_CONFIG                   127.0.20.43
  SERVER_BACKUP                   127.0.20.44
  SERVER_BACKUP_RESTORED          127.0.20.45
  SERVER_OPERATOR_PORT            127.0.20.50
  SERVER_OPERATOR_PORT_HEALTH     127.0.20.51
  SERVER_OPERATOR_PORT_WATCHDOG   127.0.20.52
  SERVER_OPERATOR_PORT_CLUSTER    127.0.21.7
  SERVER_FRONT                    127.0.20.70
  SERVER_FRONT_FAIR_SHARE         127.0.20.71
  SERVER_FRONT_FILE_LIMIT         127.0.20.72
  SERVER_FRONT_BURST              127.0.20.73
  # tests/deploy
  DEPLOY_PACKAGE                  127.0.20.47
  DEPLOY_POSTGRES_BACKUP          127.0.20.53
  DEPLOY_POSTGRES_BACKUP_CLUSTER  127.0.21.9
  DEPLOY_FRONT                    127.0.22.1
  DEPLOY_BACK                     127.0.22.2
  # tests/e2e: the deployment behind the built-in data server, and the
  # ledger, data and web servers of the foreign folder under each code page
  E2E_DEPLOY_BACK                 127.0.22.10
  E2E_FOREIGN_1252_LEDGER         127.0.60.1
  E2E_FOREIGN_1252_DATA           127.0.60.2
  E2E_FOREIGN_1252_WEB            127.0.60.3
  E2E_FOREIGN_932_LEDGER          127.0.61.1
  E2E_FOREIGN_932_DATA            127.0.61.2
  E2E_FOREIGN_932_WEB             127.0.61.3
  # tests/viewer/retrieval
  RETRIEVAL_SERVER                127.0.30.1
  RETRIEVAL_UNREACHABLE           127.0.30.254
  # tests/viewer/form
  VIEWER_DEAD_SERVER              127.0.40.9
  VIEWER_SCRIPTED_SERVER          127.0.40.10
  VIEWER_NO_SERVER                127.0.40.254
  VIEWER_SIDE_BY_SIDE_SERVER      127.0.41.1
  VIEWER_SIDE_BY_SIDE_FRONT       127.0.41.2
  VIEWER_SIDE_BY_SIDE_SILENT      127.0.41.3
  # tests/launcher
  LAUNCHER_DOWNLOAD               127.0.50.1
  LAUNCHER_WEB_SERVER             127.0.50.2
  LAUNCHER_LEDGER                 127.0.50.3
  LAUNCHER_UNREACHABLE            127.0.50.250
  LAUNCHER_NO_SERVER              127.0.50.251
  # tests/platform: a host the shell hands over, never contacted
  PLATFORM_SHELL_HOST             127.0.70.1)

# Sets TEST_ADDRESS_<NAME> here and the environment list
# TARVEX_TEST_ADDRESS_ENVIRONMENT, writes the header and the .env file, and
# stops the configuration when two names share an address.
function(tarvex_publish_test_addresses)
  set(environment "")
  set(defines "")
  set(pairs ${TARVEX_TEST_ADDRESSES})
  while(pairs)
    list(POP_FRONT pairs name address)
    if(DEFINED owner_${address})
      message(FATAL_ERROR "test address ${address} is given to both ${owner_${address}} and ${name}")
    endif()
    set(owner_${address} ${name})
    set(TEST_ADDRESS_${name} ${address} PARENT_SCOPE)
    list(APPEND environment "TEST_ADDRESS_${name}=${address}")
    string(APPEND defines "#define TEST_ADDRESS_${name} \"${address}\"\n")
  endwhile()
  set(TARVEX_TEST_ADDRESS_ENVIRONMENT "${environment}" PARENT_SCOPE)
  set(TARVEX_TEST_ADDRESS_DEFINES "${defines}")
  configure_file(${CMAKE_SOURCE_DIR}/tests/support/test_addresses.h.in
                 ${CMAKE_BINARY_DIR}/tests/support/test_addresses.h @ONLY)
  list(JOIN environment "\n" lines)
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/tests/support/test_addresses.env CONTENT "${lines}\n")
endfunction()
tarvex_publish_test_addresses()

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
  set(environment "TARVEX_SOURCE_DIR=${CMAKE_SOURCE_DIR};TARVEX_BUILD_DIR=${CMAKE_BINARY_DIR};TARVEX_NATIVE_DIR=${TARVEX_NATIVE_DIR};WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
                  ${TARVEX_TEST_ADDRESS_ENVIRONMENT})
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

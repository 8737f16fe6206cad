# The web build (emscripten): the program as a page, and the simulation's tests for Node.

# The page: zelmor.html with its .js, .wasm and .data (the data folder, preloaded into the
# page's file system so the program finds "wdf/test.wdf" where it looks). ASYNCIFY lets the
# blocking main loop hand the browser its turn in the buffer swap; the fixed-function emulation
# runs GL 1.1 on WebGL. The page's file system stays reachable so the logs can be read back, and
# the page writes a replay to play into it before the program starts, which waits for it (a run
# dependency). Recordings made in data/ itself are no part of the page.
set_target_properties(zelmor PROPERTIES SUFFIX ".html")
target_link_options(zelmor PRIVATE
  -sLEGACY_GL_EMULATION=1
  -sASYNCIFY=1
  -sALLOW_MEMORY_GROWTH=1
  -sEXIT_RUNTIME=1
  -sEXPORTED_RUNTIME_METHODS=['FS','addRunDependency','removeRunDependency']
  -sMINIFY_HTML=0
  "SHELL:--shell-file ${CMAKE_CURRENT_LIST_DIR}/shell.html"
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/data@/"
  "SHELL:--exclude-file ${CMAKE_SOURCE_DIR}/data/replays")
set_property(TARGET zelmor APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/shell.html)

# zelmor-replay for Node, with the native tool's output and exit statuses: it reads the replay
# from the real disk (NODERAWFS), its exit status reaches the shell (EXIT_RUNTIME), and the
# WebAssembly is inside the one .js file, which Node's fetch would not read from a path.
add_executable(zelmor-replay ${CMAKE_SOURCE_DIR}/tools/zelmor-replay.cpp)
target_link_libraries(zelmor-replay PRIVATE zelmor_session)
target_link_options(zelmor-replay PRIVATE -sNODERAWFS=1 -sENVIRONMENT=node
  -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sSINGLE_FILE=1)

# The simulation's tests with their pinned hashes, the replay file's and the golden replays, run
# under Node: the same bits as natively. They read the golden replays from the real disk.
# GoogleTest is built here from Debian's sources, since its packaged library is native code.
option(ZELMOR_WEB_TESTS "Build the simulation tests for Node" ON)
set(ZELMOR_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest's sources")
if(ZELMOR_WEB_TESTS AND EXISTS ${ZELMOR_GTEST_SOURCE}/CMakeLists.txt)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${ZELMOR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_executable(zelmor_sim_tests
    ${CMAKE_SOURCE_DIR}/tests/sim/WorldTickTest.cpp
    ${CMAKE_SOURCE_DIR}/tests/sim/UnitMovementTest.cpp
    ${CMAKE_SOURCE_DIR}/tests/geometry/Vector3Test.cpp
    ${CMAKE_SOURCE_DIR}/tests/geometry/ViewMathTest.cpp
    ${CMAKE_SOURCE_DIR}/tests/geometry/MathsTest.cpp
    ${CMAKE_SOURCE_DIR}/tests/app/Crc32Test.cpp
    ${CMAKE_SOURCE_DIR}/tests/app/ReplayWriterTest.cpp
    ${CMAKE_SOURCE_DIR}/tests/app/ReplayReaderTest.cpp
    ${CMAKE_SOURCE_DIR}/tests/app/ReplayFileSinkTest.cpp
    ${CMAKE_SOURCE_DIR}/tests/app/SessionReplayTest.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/TestFiles.cpp)
  # The simulation and the session on it: no GL, no window, nothing that needs a browser.
  target_link_libraries(zelmor_sim_tests PRIVATE zelmor_session gtest_main)
  target_include_directories(zelmor_sim_tests PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(zelmor_sim_tests PRIVATE ZELMOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  target_link_options(zelmor_sim_tests PRIVATE -sENVIRONMENT=node -sNODERAWFS=1
    -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)
endif()

# Fails when a file outside the folders that draw or speak to the window system (view/, app/,
# platform/, their tests, the test support and the benchmarks) includes a GL, GLU, EGL or
# window-system header. Run by the build: cmake -DROOT=<source folder> -P LayerCheck.cmake.
set(CHECKED geometry scene sim tools fuzz tests/geometry tests/scene tests/sim tests/tools
  tests/data)
set(FORBIDDEN "#[ \t]*include[ \t]*[<\"](GL/|EGL/|SDL|emscripten/html5|windows\\.h)")
set(offenders "")
foreach(folder ${CHECKED})
  file(GLOB_RECURSE sources ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.c)
  foreach(source ${sources})
    file(STRINGS ${source} hits REGEX "${FORBIDDEN}")
    if(hits)
      file(RELATIVE_PATH name ${ROOT} ${source})
      list(JOIN hits " " hits)
      list(APPEND offenders "${name}: ${hits}")
    endif()
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " listed)
  message(FATAL_ERROR "GL and window-system headers belong to view/, app/ and platform/:\n  ${listed}")
endif()

# The Debian package (scripts/package.sh builds it with CPack), laid out as Debian's games are:
# the program in lib/zelmor, the launcher and the tools in games, the bundled data read-only in
# share/zelmor, with a desktop entry, icons drawn from the bundled tank, man pages and the
# copyright and changelog. Linux only: the other platforms ship a zip and a web page.
# A sanitizer build is never packaged, and its icon drawing would stop at Mesa's leaks.
if(NOT ZELMOR_PLATFORM STREQUAL "sdl" OR ZELMOR_SANITIZE)
  return()
endif()
find_program(ZELMOR_PYTHON python3)
if(NOT ZELMOR_PYTHON)
  message(STATUS "No python3: no install rules or package (the installed scene is made with it)")
  return()
endif()

set(ZELMOR_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(ZELMOR_STAGED ${CMAKE_BINARY_DIR}/package)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The changelog's newest entry names the version this build makes: a version raised without an
# entry would ship a changelog that says nothing of it.
file(STRINGS ${ZELMOR_PACKAGING}/changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^zelmor \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog begins with '${newest}', not an entry for "
                      "zelmor ${PROJECT_VERSION}: add one for this version")
endif()

# The icons: the program's own drawing of the bundled tank, made on an offscreen GL window.
add_executable(zelmor-icon tools/zelmor-icon.cpp)
target_link_libraries(zelmor-icon PRIVATE zelmor_app)
set(icon_sizes 48 128 256)
set(icons)
foreach(size ${icon_sizes})
  list(APPEND icons ${ZELMOR_STAGED}/icons/${size}x${size}/apps/zelmor.png)
endforeach()
add_custom_command(OUTPUT ${icons}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZELMOR_STAGED}/icon-run
  # The view writes its gl.log where it runs: in a folder of its own, not among the sources.
  COMMAND ${CMAKE_COMMAND} -E chdir ${ZELMOR_STAGED}/icon-run
          $<TARGET_FILE:zelmor-icon> ${CMAKE_SOURCE_DIR}/data ${ZELMOR_STAGED}/icons ${icon_sizes}
  DEPENDS zelmor-icon ${CMAKE_SOURCE_DIR}/data/units/tank.unit ${CMAKE_SOURCE_DIR}/data/models.lst
  COMMENT "Drawing the icons from the bundled tank"
  VERBATIM)

# The installed scene: the generated one with no lines of a developer's own data/mine/scene.wdf.
# The launcher adds the player's own lines to it (packaging/zelmor-launcher.sh).
add_custom_command(OUTPUT ${ZELMOR_STAGED}/test.wdf
  COMMAND ${ZELMOR_PYTHON} -B -c "import sys; sys.path.insert(0, sys.argv[1]); \
from scene_layout import scene_text; open(sys.argv[2], 'w').write(scene_text(['mine/models.lst']))"
          ${CMAKE_SOURCE_DIR}/scripts ${ZELMOR_STAGED}/test.wdf
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/scene_layout.py
  COMMENT "Writing the installed scene"
  VERBATIM)

# Debian wants man pages and changelogs compressed, without a time stamp.
set(compressed)
foreach(file zelmor.6 zelmor-check.6 zelmor-replay.6 changelog)
  add_custom_command(OUTPUT ${ZELMOR_STAGED}/${file}.gz
    COMMAND gzip -9nc ${ZELMOR_PACKAGING}/${file} > ${ZELMOR_STAGED}/${file}.gz
    DEPENDS ${ZELMOR_PACKAGING}/${file})
  list(APPEND compressed ${ZELMOR_STAGED}/${file}.gz)
endforeach()
add_custom_target(zelmor-package-files ALL DEPENDS ${icons} ${ZELMOR_STAGED}/test.wdf ${compressed})

install(TARGETS zelmor RUNTIME DESTINATION lib/zelmor)
install(PROGRAMS ${ZELMOR_PACKAGING}/zelmor-launcher.sh DESTINATION games RENAME zelmor)
install(FILES ${ZELMOR_STAGED}/zelmor.6.gz DESTINATION share/man/man6)
foreach(tool zelmor-check zelmor-replay)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION games)
  endif()
endforeach()
install(FILES ${ZELMOR_STAGED}/zelmor-check.6.gz ${ZELMOR_STAGED}/zelmor-replay.6.gz
  DESTINATION share/man/man6)

# The bundled data: exactly the files the generator records as its own, so that nothing of a
# developer's own ends up in the package; the scene is the one made above.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/.generated)
file(STRINGS ${CMAKE_SOURCE_DIR}/data/.generated generated REGEX "^[0-9a-f]+  ")
foreach(line ${generated})
  string(REGEX REPLACE "^[0-9a-f]+  " "" file "${line}")
  get_filename_component(folder "${file}" DIRECTORY)
  if(NOT file STREQUAL "wdf/test.wdf")
    install(FILES ${CMAKE_SOURCE_DIR}/data/${file} DESTINATION share/zelmor/${folder})
  endif()
endforeach()
install(FILES ${ZELMOR_STAGED}/test.wdf DESTINATION share/zelmor/wdf)

install(FILES ${ZELMOR_PACKAGING}/zelmor.desktop DESTINATION share/applications)
install(DIRECTORY ${ZELMOR_STAGED}/icons/ DESTINATION share/icons/hicolor)
install(FILES ${ZELMOR_PACKAGING}/copyright ${ZELMOR_STAGED}/changelog.gz
        DESTINATION share/doc/zelmor)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelmor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "zelmor maintainers <maintainers@users.noreply.c-seed-e30d5c28.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time command of tanks and scouts on a 3-D field")
set(CPACK_PACKAGE_DESCRIPTION "\
zelmor shows a field with scenery and a few tanks, scouts and rocket
launchers in an OpenGL window. Select vehicles with a rubber band or a
click, send them across the field, queue waypoints, let them follow one
another or halt them. The scene, models and vehicles are plain text files
that a player can extend with models and scene lines of their own.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binaries link come from dpkg-shlibdeps; SDL opens the GL of the window
# system itself at run time: GLX on X11, EGL on Wayland.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

# Install rules and packages. On Linux: the programs in bin/ with their manual
# pages, what they read in share/velmor/ (the installed program finds its font
# there, relative to its own path, so the tree can be moved as a whole), the
# desktop entry and Debian's copyright and changelog; `make dist` makes a .deb
# and a tarball of it. On Windows: one folder with the programs, the assets and
# the texts, zipped. The desktop files live in packaging/.
set(VELMOR_ASSETS ${CMAKE_SOURCE_DIR}/assets/Z_Test.3ds ${CMAKE_SOURCE_DIR}/assets/Font.bmp)
set(VELMOR_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(VELMOR_MAINTAINER "Velmor developers <velmor@users.noreply.invalid>")
# The icon's PNGs, velmor-48.png, velmor-128.png and velmor-256.png, are taken
# from here when a target named velmor_icons makes them.
set(VELMOR_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(VELMOR_ICON_SIZES 48 128 256)
# They are velmor-render's stills of the bundled scene at its start view:
# the program draws its own icon.
set(VELMOR_ICON_OPTIONS --background none --samples 16)

if(NOT WIN32 AND NOT CMAKE_CROSSCOMPILING)
  find_program(HELP2MAN help2man)
  if(NOT HELP2MAN)
    message(STATUS "help2man not found: no manual pages (scripts/deps.sh build installs it)")
  endif()
endif()

# gzip -9n: what Debian wants of compressed documentation (no name, no time).
function(velmor_gzip_command output input)
  add_custom_command(OUTPUT ${output} COMMAND gzip -9nc ${input} > ${output}
    DEPENDS ${input} ${ARGN})
endfunction()

# The manual page of a program, made from its own --help and --version text.
function(velmor_man_page program summary)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${HELP2MAN} --no-info --name=${summary} --output=${page} $<TARGET_FILE:${program}>
    DEPENDS ${program} VERBATIM)
  velmor_gzip_command(${page}.gz ${page})
  add_custom_target(${program}_man ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION share/man/man1)
endfunction()

# velmor_package_program(TARGET SUMMARY [WINDOWS] [COMPONENT NAME]): a program
# of the packages. On Linux it goes to bin/ with a manual page named SUMMARY;
# WINDOWS puts the .exe in the Windows zip too; COMPONENT lets a test install
# it alone. Adding a program to the packages is one call.
function(velmor_package_program program summary)
  cmake_parse_arguments(ARG "WINDOWS" "COMPONENT" "" ${ARGN})
  if(NOT ARG_COMPONENT)
    set(ARG_COMPONENT Unspecified)
  endif()
  if(NOT TARGET ${program})
    return()
  endif()
  if(WIN32)
    if(ARG_WINDOWS)
      install(TARGETS ${program} RUNTIME DESTINATION .)
    endif()
    return()
  endif()
  install(TARGETS ${program} RUNTIME DESTINATION bin COMPONENT ${ARG_COMPONENT})
  if(HELP2MAN)
    velmor_man_page(${program} ${summary})
  endif()
endfunction()

velmor_package_program(velmor "real-time software renderer for 3D Studio scenes" WINDOWS)
velmor_package_program(velmor-capture "write velmor's frames as PNG pictures, without a screen")
velmor_package_program(velmor-dump "print a 3D Studio scene as JSON")
# The file managers' thumbnailer: velmor-render and its entry install alone for its test.
velmor_package_program(velmor-render "draw a 3D Studio scene into a PNG picture" WINDOWS
                       COMPONENT thumbnailer)

# velmor_icons: the icon at every size, drawn at build time.
function(velmor_icons_target)
  set(scene ${CMAKE_SOURCE_DIR}/assets/Z_Test.3ds)
  set(icons)
  foreach(size ${VELMOR_ICON_SIZES})
    set(icon ${VELMOR_ICON_DIR}/velmor-${size}.png)
    add_custom_command(OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${VELMOR_ICON_DIR}
      COMMAND velmor-render ${VELMOR_ICON_OPTIONS} --size ${size} ${scene} ${icon}
      DEPENDS velmor-render ${scene} VERBATIM)
    list(APPEND icons ${icon})
  endforeach()
  add_custom_target(velmor_icons ALL DEPENDS ${icons})
endfunction()

# Debian's changelog must name the version being packed.
function(velmor_check_changelog)
  file(STRINGS ${VELMOR_PACKAGING}/changelog top LIMIT_COUNT 1)
  if(NOT top MATCHES "^velmor \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog begins '${top}': "
                        "add an entry for version ${PROJECT_VERSION} on top")
  endif()
endfunction()

function(velmor_install_linux_files)
  install(FILES ${VELMOR_ASSETS} DESTINATION share/velmor)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/NOTICE
                ${VELMOR_PACKAGING}/copyright DESTINATION share/doc/velmor)
  velmor_check_changelog()
  set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
  velmor_gzip_command(${changelog} ${VELMOR_PACKAGING}/changelog)
  add_custom_target(velmor_changelog ALL DEPENDS ${changelog})
  install(FILES ${changelog} DESTINATION share/doc/velmor)
  install(FILES ${VELMOR_PACKAGING}/velmor.desktop DESTINATION share/applications)
  install(FILES ${VELMOR_PACKAGING}/velmor.thumbnailer DESTINATION share/thumbnailers
          COMPONENT thumbnailer)
  if(TARGET velmor-render)
    velmor_icons_target()
  endif()
  if(TARGET velmor_icons)
    foreach(size ${VELMOR_ICON_SIZES})
      install(FILES ${VELMOR_ICON_DIR}/velmor-${size}.png
              DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME velmor.png)
    endforeach()
  endif()
endfunction()

if(WIN32)
  install(FILES ${VELMOR_ASSETS} DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  install(FILES ${CMAKE_SOURCE_DIR}/NOTICE DESTINATION . RENAME NOTICE.txt)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/README-windows.txt DESTINATION . RENAME README.txt)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME velmor-${PROJECT_VERSION}-windows-x86_64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  velmor_install_linux_files()
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_PACKAGE_FILE_NAME velmor-${PROJECT_VERSION}-linux-x86_64)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME velmor_${PROJECT_VERSION}_amd64.deb)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELMOR_MAINTAINER}")
  # Either name of libpng's runtime package: Debian 13 renamed it for 64-bit time.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libc6, libgcc-s1, libstdc++6, libsdl2-2.0-0, libpng16-16 | libpng16-16t64")
endif()

set(CPACK_PACKAGE_NAME velmor)
set(CPACK_PACKAGE_VENDOR "the Velmor authors")
set(CPACK_PACKAGE_CONTACT "${VELMOR_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small real-time software 3D renderer for 3D Studio scenes")
# Lines under 80 characters, as Debian's control file wants them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Velmor draws the meshes of a 3D Studio (.3DS) scene in software, turning\n"
  "and flat-shaded, 50 times a second at 512 x 384 with a frame counter.\n"
  "Without a scene it shows its bundled demo; with one it frames the model\n"
  "to fill the picture. It opens .3ds files from the desktop.\n"
  "\n"
  "velmor-capture writes the frames as PNG pictures without a screen, and\n"
  "velmor-dump prints a scene as JSON.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_THREADS 1)
include(CPack)

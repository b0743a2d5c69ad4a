# Install rules and packages. On Linux: the programs in bin/ and what they
# read in share/velmor/ (the installed program finds its font there, relative
# to its own path, so the tree can be moved as a whole); `make dist` makes a
# .deb and a tarball of it. On Windows: one folder with velmor.exe, the assets
# and the texts, zipped.
set(VELMOR_ASSETS ${CMAKE_SOURCE_DIR}/assets/Z_Test.3ds ${CMAKE_SOURCE_DIR}/assets/Font.bmp)

if(WIN32)
  install(TARGETS velmor RUNTIME DESTINATION .)
  install(FILES ${VELMOR_ASSETS} DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  install(FILES ${CMAKE_SOURCE_DIR}/NOTICE DESTINATION . RENAME NOTICE.txt)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/README-windows.txt DESTINATION . RENAME README.txt)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME velmor-${PROJECT_VERSION}-windows-x86_64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  foreach(program velmor velmor-capture velmor-dump)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION bin)
    endif()
  endforeach()
  install(FILES ${VELMOR_ASSETS} DESTINATION share/velmor)
  # The file managers' thumbnailer, installable on its own for its test.
  if(TARGET velmor-render)
    install(TARGETS velmor-render RUNTIME DESTINATION bin COMPONENT thumbnailer)
    install(FILES ${CMAKE_SOURCE_DIR}/share/thumbnailers/velmor.thumbnailer
            DESTINATION share/thumbnailers COMPONENT thumbnailer)
  endif()
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/NOTICE
          DESTINATION share/doc/velmor)
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_PACKAGE_FILE_NAME velmor-${PROJECT_VERSION}-linux-x86_64)
  set(CPACK_DEBIAN_FILE_NAME velmor_${PROJECT_VERSION}_amd64.deb)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  # Either name of libpng's runtime package: Debian 13 renamed it for 64-bit time.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libc6, libgcc-s1, libstdc++6, libsdl2-2.0-0, libpng16-16 | libpng16-16t64")
endif()

set(CPACK_PACKAGE_NAME velmor)
set(CPACK_PACKAGE_VENDOR "the Velmor authors")
set(CPACK_PACKAGE_CONTACT "the Velmor authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small real-time software 3D renderer for 3D Studio scenes")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmor draws the meshes of a 3D Studio (.3DS) scene in software, turning and flat-shaded, 50 times a second at 512 x 384 with a frame counter. Without a scene it shows its bundled demo; with one it frames the model to fill the picture.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_THREADS 1)
include(CPack)

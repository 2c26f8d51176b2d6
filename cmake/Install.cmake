# `cmake --install BUILD --prefix P` lays out an installed Orvella:
#   P/bin/orvella, P/bin/orvella-tool
#   P/libexec/orvella/orvella-render-helper   (looked for there by the program)
#   P/libexec/orvella/orvella-tool-pictures.so (opened from there by orvella-tool)
#   P/share/orvella/Orvella.dat               (the empty catalogue copied into each user's data folder)
#   P/share/applications, P/share/icons/hicolor, P/share/metainfo
include(GNUInstallDirs)

set(ORVELLA_APP_ID example.orvella.Orvella)
set(ORVELLA_DATA_DIR ${PROJECT_SOURCE_DIR}/data)

if(TARGET orvella)
  install(TARGETS orvella RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS orvella-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The earnings reader is started from beside the program and the tool.
if(TARGET orvella-earnings)
  install(TARGETS orvella-earnings RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS orvella-render-helper RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/orvella)
# The tool's picture verbs, opened by orvella-tool from there.
if(TARGET orvella-tool-pictures)
  install(TARGETS orvella-tool-pictures LIBRARY DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/orvella)
endif()

# The shipped catalogue is made afresh from the schema, never taken from the
# build folder, whose catalogue a portable run may have filled.
set(ORVELLA_SHIPPED_CATALOGUE ${CMAKE_BINARY_DIR}/shipped/Orvella.dat)
add_custom_command(OUTPUT ${ORVELLA_SHIPPED_CATALOGUE}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${ORVELLA_SHIPPED_CATALOGUE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/shipped
  COMMAND orvella-make-catalogue ${ORVELLA_SCHEMA} ${ORVELLA_SHIPPED_CATALOGUE}
  DEPENDS orvella-make-catalogue ${ORVELLA_SCHEMA}
  COMMENT "Making the empty catalogue to install"
  VERBATIM)
add_custom_target(shipped_catalogue ALL DEPENDS ${ORVELLA_SHIPPED_CATALOGUE})
install(FILES ${ORVELLA_SHIPPED_CATALOGUE}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/orvella
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

install(FILES ${ORVELLA_DATA_DIR}/${ORVELLA_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ORVELLA_DATA_DIR}/${ORVELLA_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${ORVELLA_DATA_DIR}/icons/orvella.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${ORVELLA_APP_ID}.svg)
foreach(size 48 128 256)
  install(FILES ${ORVELLA_DATA_DIR}/icons/orvella-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${ORVELLA_APP_ID}.png)
endforeach()

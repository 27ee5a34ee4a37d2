# What `cmake --install` puts in place, in two components: `cli` (the command
# line and what it needs: the browser viewer, the manual page, the bash
# completion) and `desktop` (the desktop module, its pictures, language files
# and help, and its entry, icons and metainfo for the desktop).
set(KERFEL_APP_ID org.lorvak.ImageKerfel)
set(KERFEL_DATA ${CMAKE_INSTALL_DATADIR}/kerfel)

# The bash completion, written from the command line's own description.
add_executable(kerfel_completion src/cli/tools/make_completion.cpp)
target_link_libraries(kerfel_completion PRIVATE kerfel_core)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/kerfel.bash
  COMMAND kerfel_completion > ${CMAKE_BINARY_DIR}/kerfel.bash
  DEPENDS kerfel_completion VERBATIM)

# The manual page kerfel(1), from its scdoc source, compressed as Debian wants.
find_program(SCDOC scdoc REQUIRED)
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/kerfel.1.gz
  COMMAND ${SCDOC} < ${CMAKE_SOURCE_DIR}/docs/kerfel.1.scd > ${CMAKE_BINARY_DIR}/kerfel.1
  COMMAND ${GZIP} -9nf ${CMAKE_BINARY_DIR}/kerfel.1
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/kerfel.1.scd VERBATIM)
add_custom_target(kerfel_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/kerfel.bash ${CMAKE_BINARY_DIR}/kerfel.1.gz)

install(TARGETS kerfel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
install(FILES ${VIEWER_FILES} DESTINATION ${KERFEL_DATA}/viewer COMPONENT cli)
install(DIRECTORY ${VIEWER_LIB}/images DESTINATION ${KERFEL_DATA}/viewer COMPONENT cli)
install(FILES ${CMAKE_BINARY_DIR}/kerfel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT cli)
install(FILES ${CMAKE_BINARY_DIR}/kerfel.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME kerfel COMPONENT cli)

if(KERFEL_GUI)
  install(TARGETS kerfel_desktop LIBRARY DESTINATION lib/kerfel COMPONENT desktop)
  install(DIRECTORY resources/LanguageFiles resources/help resources/pictures
          DESTINATION ${KERFEL_DATA} COMPONENT desktop
          PATTERN "src" EXCLUDE)  # the readable sources of the language files
  install(FILES resources/desktop/${KERFEL_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT desktop)
  configure_file(resources/desktop/${KERFEL_APP_ID}.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/${KERFEL_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${KERFEL_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT desktop)
  install(DIRECTORY resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT desktop)
endif()

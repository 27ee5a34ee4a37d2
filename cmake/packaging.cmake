# Debian packages, made by `scripts/package` (cpack): `kerfel` holds the
# command line, whose dependencies name no GUI library; `kerfel-desktop` the
# desktop tool, which needs the command line to start it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kerfel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Image Kerfel maintainers <maintainers@image-kerfel.example>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
if(KERFEL_GUI)
  list(APPEND CPACK_COMPONENTS_ALL desktop)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# Owner and modes as a package wants them, whatever the build tree's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Each description: a summary line, then paragraphs that CPack indents and
# separates as Debian's control files want. CPack would put the project's one
# summary before both; left at CPack's own default it puts none.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_DEBIAN_CLI_PACKAGE_NAME kerfel)
set(CPACK_DEBIAN_CLI_PACKAGE_SECTION graphics)
set(CPACK_COMPONENT_CLI_DESCRIPTION [=[publish a very large photograph as zoomable web tiles (command line)
Image Kerfel cuts a very large JPEG into a pyramid of 256 x 256 JPEG tiles
over every zoom level, writes an XML descriptor and a browser viewer beside
them, and packs the result into a ZIP archive. The viewer works from disk
and from any static web server.

This package holds the command line `kerfel` (info, make, export), its
manual page and bash completion; it needs no display and suits scripts,
batch runs and servers.]=])

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME kerfel-desktop)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_SECTION graphics)
set(CPACK_COMPONENT_DESKTOP_DEPENDS cli)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-liberation")
set(CPACK_DEBIAN_DESKTOP_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_COMPONENT_DESKTOP_DESCRIPTION [=[publish a very large photograph as zoomable web tiles (desktop tool)
Image Kerfel cuts a very large JPEG into a pyramid of 256 x 256 JPEG tiles
over every zoom level, writes an XML descriptor and a browser viewer beside
them, and packs the result into a ZIP archive.

This package holds the desktop tool: choose a photograph, the zoom levels
and the viewer's options, watch the tiles being made, preview the result in
the embedded browser and export it. It is started by `kerfel` without
arguments, or with a photograph from the file manager's Open With.]=])

# Each package's copyright and changelog, in the forms Debian wants.
string(TIMESTAMP KERFEL_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
foreach(pkg kerfel kerfel-desktop)
  set(doc ${CMAKE_BINARY_DIR}/package-doc/${pkg})
  set(KERFEL_PACKAGE ${pkg})
  configure_file(packaging/changelog.in ${doc}/changelog @ONLY)
  execute_process(COMMAND gzip -9nf ${doc}/changelog)
  file(READ packaging/copyright COPYRIGHT_TEXT)
  set(OSD_LICENSE "(the viewer library's LICENSE.txt: run scripts/setup before packing)\n")
  if(EXISTS ${VIEWER_LIB}/../../LICENSE.txt)  # from npm, which a bare configure may not have run
    file(READ ${VIEWER_LIB}/../../LICENSE.txt OSD_LICENSE)
  endif()
  file(WRITE ${doc}/copyright "${COPYRIGHT_TEXT}\n${OSD_LICENSE}")
  if(pkg STREQUAL kerfel)
    set(component cli)
  else()
    set(component desktop)
  endif()
  install(FILES ${doc}/copyright ${doc}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${pkg} COMPONENT ${component})
endforeach()

include(CPack)

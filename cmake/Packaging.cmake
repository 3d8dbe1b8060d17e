# The Debian package: `cmake --build BUILD --target package` (CPack's DEB
# generator) writes BUILD/quadrel-qdl_<version>_<arch>.deb from the install
# rules of host/, pkg/ and app/ and from what is made here: the manual page
# (help2man over qdl-host --help and --version), the icon (the window icon,
# drawn by the program's own glyph code), the changelog and the copyright
# file of packaging/.
#
# Making it takes help2man and dpkg-dev (dpkg-shlibdeps computes the
# dependencies on shared libraries); without them there is no package
# target, and building and running the program need neither. A sanitizer
# build is never packaged.

set(QDL_PACKAGE_NAME quadrel-qdl)
set(QDL_PACKAGE_PREFIX /usr)
set(QDL_PACKAGING OFF)
find_program(QDL_HELP2MAN help2man)
find_program(QDL_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(QDL_DPKG_PARSECHANGELOG dpkg-parsechangelog)
if(QDL_SANITIZE)
  set(QDL_PACKAGING_MISSING "a sanitizer build is not packaged")
elseif(NOT QDL_HELP2MAN OR NOT QDL_DPKG_SHLIBDEPS OR NOT QDL_DPKG_PARSECHANGELOG)
  set(QDL_PACKAGING_MISSING "making it needs help2man and dpkg-dev (apt install help2man dpkg-dev)")
else()
  set(QDL_PACKAGING ON)
endif()
if(NOT QDL_PACKAGING)
  message(STATUS "Debian package: no 'package' target: ${QDL_PACKAGING_MISSING}")
  return()
endif()

set(QDL_PACKAGE_MAINTAINER "Equipe Quadrel <quadrel@quadrel.example>" CACHE STRING
  "Maintainer field of the Debian package")

# packaging/changelog is the package's history in Debian's format; its last
# entry names the version being packaged and its date stands for the build
# date in the manual page, so the same sources make the same page.
set(QDL_CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QDL_CHANGELOG})
foreach(field Version Timestamp)
  execute_process(COMMAND ${QDL_DPKG_PARSECHANGELOG} -l ${QDL_CHANGELOG} -S ${field}
    OUTPUT_VARIABLE QDL_CHANGELOG_${field} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endforeach()
if(NOT QDL_CHANGELOG_Version STREQUAL PROJECT_VERSION)
  message(WARNING "packaging/changelog: the last entry is ${QDL_CHANGELOG_Version}, the project "
    "is ${PROJECT_VERSION}: add an entry for this version before packaging it")
endif()

execute_process(COMMAND dpkg --print-architecture
  OUTPUT_VARIABLE QDL_DEB_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(QDL_DEB_FILE ${CMAKE_BINARY_DIR}/${QDL_PACKAGE_NAME}_${PROJECT_VERSION}_${QDL_DEB_ARCHITECTURE}.deb)

set(QDL_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
set(QDL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${QDL_PACKAGE_NAME})

# The manual page, in English, from the program's own help (its options);
# packaging/qdl-host.h2m gives the rest of an administrator's manual: name,
# description, exit status, environment, files, examples. It names the
# private library folder and the documents' folder as the package installs them.
set(QDL_MAN_PAGE ${QDL_PACKAGING_DIR}/qdl-host.1)
set(QDL_PRIVATE_LIBDIR ${QDL_PACKAGE_PREFIX}/${QDL_INSTALL_PRIVATE_LIBDIR})
set(QDL_INSTALLED_DOC_DIR ${QDL_PACKAGE_PREFIX}/${QDL_DOC_DIR})
configure_file(${PROJECT_SOURCE_DIR}/packaging/qdl-host.h2m ${QDL_PACKAGING_DIR}/qdl-host.h2m @ONLY)
add_custom_command(OUTPUT ${QDL_MAN_PAGE}.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QDL_PACKAGING_DIR}
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${QDL_CHANGELOG_Timestamp} QT_QPA_PLATFORM=offscreen
    ${QDL_HELP2MAN} --no-info --section=1
      --include=${QDL_PACKAGING_DIR}/qdl-host.h2m
      "--help-option=--lang=en --help" "--version-option=--lang=en --version"
      --output=${QDL_MAN_PAGE} $<TARGET_FILE:qdl-host>
  COMMAND gzip -9nf ${QDL_MAN_PAGE}
  DEPENDS qdl-host ${QDL_PACKAGING_DIR}/qdl-host.h2m
  COMMENT "Writing the manual page qdl-host(1)"
  VERBATIM)

# The icon of the desktop entry in the hicolor theme's sizes.
set(QDL_ICON_SIZES 16 24 32 48 64 128 256)
set(QDL_ICON_DIR ${QDL_PACKAGING_DIR}/icons)
add_executable(qdl-render-icon ${PROJECT_SOURCE_DIR}/packaging/qdl_render_icon.cpp)
target_link_libraries(qdl-render-icon PRIVATE qdl_ui Qt6::Gui)
set_target_properties(qdl-render-icon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QDL_PACKAGING_DIR})
qdl_warnings(qdl-render-icon)
set(QDL_ICON_FILES)
foreach(size ${QDL_ICON_SIZES})
  list(APPEND QDL_ICON_FILES ${QDL_ICON_DIR}/${size}x${size}/apps/${QDL_PACKAGE_NAME}.png)
endforeach()
add_custom_command(OUTPUT ${QDL_ICON_FILES}
  COMMAND qdl-render-icon ${QDL_ICON_DIR} ${QDL_PACKAGE_NAME} ${QDL_ICON_SIZES}
  DEPENDS qdl-render-icon
  COMMENT "Drawing the icon of the desktop entry"
  VERBATIM)

add_custom_command(OUTPUT ${QDL_PACKAGING_DIR}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${QDL_CHANGELOG} ${QDL_PACKAGING_DIR}/changelog
  COMMAND gzip -9nf ${QDL_PACKAGING_DIR}/changelog
  DEPENDS ${QDL_CHANGELOG}
  VERBATIM)

# The layout file's format, which --help and the manual page cite: a
# document over 4 kB, so compressed as Debian's policy asks.
set(QDL_LAYOUT_FORMAT ${PROJECT_SOURCE_DIR}/docs/layout-format.md)
add_custom_command(OUTPUT ${QDL_PACKAGING_DIR}/layout-format.md.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${QDL_LAYOUT_FORMAT} ${QDL_PACKAGING_DIR}/layout-format.md
  COMMAND gzip -9nf ${QDL_PACKAGING_DIR}/layout-format.md
  DEPENDS ${QDL_LAYOUT_FORMAT}
  VERBATIM)

add_custom_target(qdl_package_files ALL
  DEPENDS ${QDL_MAN_PAGE}.gz ${QDL_ICON_FILES} ${QDL_PACKAGING_DIR}/changelog.gz ${QDL_PACKAGING_DIR}/layout-format.md.gz)

install(FILES ${QDL_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${QDL_PACKAGE_NAME}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${QDL_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
# A native package: its Debian changelog is changelog.gz.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${QDL_PACKAGING_DIR}/changelog.gz
  ${QDL_PACKAGING_DIR}/layout-format.md.gz DESTINATION ${QDL_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${QDL_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "Equipe Quadrel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "table-screen configuration for restaurant sales terminals")
# The long description, one line of the control file per line here.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "The back-office screen on which an operator lays out the touch buttons"
  "that a restaurant's sales terminals show for choosing a dining table: a"
  "row of area buttons and, under each area, a paged grid of table buttons."
  "The layout is kept in a SQLite file, or on a PostgreSQL server that many"
  "terminals share, where the schema's owner gives each terminal a login"
  "role limited to its branches."
  ""
  "The program qdl-host opens the screen on the chain's central layout and,"
  "from the command line, creates a demonstration database, checks a stored"
  "layout, upgrades the schema, lists the history of every change and puts a"
  "layout back as it stood at a past time, and rolls a layout out to the"
  "chain's branches through a text file (export, then import with a dry run"
  "first).")
set(CPACK_PACKAGING_INSTALL_PREFIX ${QDL_PACKAGE_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${QDL_DEB_ARCHITECTURE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QDL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binaries link (Qt, SQLite, libpq) come from
# dpkg-shlibdeps. What is loaded at run time it cannot see: the platform
# plugins, and the fonts the screen draws with (DejaVu Sans, and DejaVu Sans
# Condensed of the extra set). Qt's own translations are welcome, not needed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, fonts-dejavu-core, fonts-dejavu-extra")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# Installing the game as a Linux desktop game, and the Debian package (make install,
# make package). The program goes to <prefix>/games, its data to
# <prefix>/share/games/10quelmars; the game finds the data relative to itself, so the
# whole install can be moved. Each player's files live in the user's own folder.
include(GNUInstallDirs)

set(QUELMAR_VERSION 1.0.0)
set(QUELMAR_INSTALL_GAMEDIR games CACHE STRING "folder of the game program, below the prefix")
set(QUELMAR_INSTALL_GAMEDATADIR ${CMAKE_INSTALL_DATAROOTDIR}/games/10quelmars
    CACHE STRING "folder of the game's data, below the prefix")
# Where the AppStream screenshots are published (the files are desktop/screenshots/).
set(QUELMAR_SCREENSHOT_BASE "https://quelmars.example.org/screenshots"
    CACHE STRING "web folder that holds the screenshots named in the AppStream data")

file(RELATIVE_PATH installed_data_relative /prefix/${QUELMAR_INSTALL_GAMEDIR}
     /prefix/${QUELMAR_INSTALL_GAMEDATADIR})
target_compile_definitions(quelmar_app PRIVATE QUELMAR_INSTALLED_DATA="${installed_data_relative}")

# The desktop entry names the program alone where the users' search path has it (the
# games folders of /usr and /usr/local), and by its whole path elsewhere.
set(QUELMAR_GAME_PATH ${CMAKE_INSTALL_PREFIX}/${QUELMAR_INSTALL_GAMEDIR}/10quelmars)
if(QUELMAR_GAME_PATH STREQUAL "/usr/games/10quelmars" OR QUELMAR_GAME_PATH STREQUAL "/usr/local/games/10quelmars")
  set(QUELMAR_GAME_PATH 10quelmars)
endif()
set(QUELMAR_DATA_PATH ${CMAKE_INSTALL_PREFIX}/${QUELMAR_INSTALL_GAMEDATADIR})
set(desktop_out ${CMAKE_BINARY_DIR}/desktop)
configure_file(${PROJECT_SOURCE_DIR}/desktop/10quelmars.desktop.in ${desktop_out}/10quelmars.desktop @ONLY)
set(metainfo org.quelmars.TenQuelmars.metainfo.xml)
configure_file(${PROJECT_SOURCE_DIR}/desktop/${metainfo}.in ${desktop_out}/${metainfo} @ONLY)

# Manual pages and the Debian changelog are installed compressed, as Debian wants them.
set(compressed)
foreach(source man/10quelmars.6 man/crateforge.1 man/quelmar-lab.1 changelog)
  get_filename_component(name ${source} NAME)
  configure_file(${PROJECT_SOURCE_DIR}/desktop/${source} ${desktop_out}/${name} @ONLY)
  add_custom_command(OUTPUT ${desktop_out}/${name}.gz
                     COMMAND gzip -9nfk ${desktop_out}/${name}
                     DEPENDS ${desktop_out}/${name}
                     VERBATIM)
  list(APPEND compressed ${desktop_out}/${name}.gz)
endforeach()
add_custom_target(desktop_files ALL DEPENDS ${compressed})

install(TARGETS quelmar-game RUNTIME DESTINATION ${QUELMAR_INSTALL_GAMEDIR})
# The program's name on the system is the game's; the build tree keeps quelmar-game.
install(CODE "file(RENAME \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${QUELMAR_INSTALL_GAMEDIR}/quelmar-game\"
                          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${QUELMAR_INSTALL_GAMEDIR}/10quelmars\")")
install(TARGETS crateforge quelmar-lab RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The data as the build made it; player files a developer's run left there stay behind.
install(DIRECTORY ${QUELMAR_DATA_DIR}/ DESTINATION ${QUELMAR_INSTALL_GAMEDATADIR}
        PATTERN settings EXCLUDE)
install(FILES ${desktop_out}/10quelmars.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop_out}/${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${CMAKE_BINARY_DIR}/datagen/desktop/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${desktop_out}/10quelmars.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${desktop_out}/crateforge.1.gz ${desktop_out}/quelmar-lab.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/copyright ${desktop_out}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/10quelmars)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME 10quelmars)
set(CPACK_PACKAGE_VERSION ${QUELMAR_VERSION})
set(CPACK_PACKAGE_VENDOR "The 10 Quelmars developers")
set(CPACK_PACKAGE_CONTACT "The 10 Quelmars developers <maintainers@users.noreply.c-seed-6e948f8a.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "match-three puzzle game with ten treasures to uncover")
# CPack indents these lines and turns the empty one into the paragraph mark.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Swap two neighbouring charms so that lines of three or more equal charms
form and vanish; long lines and crossings leave bombs and lightning behind.
Eighty levels in ten stages, a classic mode against a burning fuse and an
endless mode, profiles for several players, saved games and hiscores.

The package also holds crateforge, the tool that packs the game's data
files, and quelmar-lab, which runs level files through the game's rules.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

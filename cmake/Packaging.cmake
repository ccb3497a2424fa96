# `make package`: two Debian packages from the two install components,
#   app -> wrenfold_<version>_<arch>.deb      the programs and their desktop files
#   dev -> libwfpak-dev_<version>_<arch>.deb  the pack reader for games to build with
# Both are native packages of one source, wrenfold, with the project's version.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL app dev)
set(CPACK_PACKAGE_NAME wrenfold)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Wrenfold developers <wrenfold@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${WRENFOLD_HOMEPAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE wrenfold)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Directories CPack makes on its own get the usual modes whatever the umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The programs: run-time libraries from the binaries (dpkg-shlibdeps), and
# Qt's platform plugins, which the window loads at run time.
set(CPACK_DEBIAN_APP_PACKAGE_NAME ${WRENFOLD_APP_PACKAGE})
set(CPACK_DEBIAN_APP_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_APP_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_APP_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_APP_DESCRIPTION [=[packs a game project's files into one data archive
Wrenfold is a desktop tool for game developers. Started in a game project's
folder, it lists every file below it; the files ticked in the list are
written into one pack, Data.Pak, optionally masked with a 32-bit key and
optionally appended to the game's executable. It shows the one line of code
the game runs to open the pack, and remembers the options and ticked files
in the project folder.

The wrenfold-pak command builds the same pack without a window, for scripts
and continuous integration, and lists, checks and extracts the entries of a
pack or of an executable carrying one.]=])

# The pack reader: a static library with headers, CMake and pkg-config files.
# Nothing of it runs on its own, so it depends on nothing; the optional
# adapters build against SDL2 and PhysicsFS.
set(CPACK_DEBIAN_DEV_PACKAGE_NAME ${WRENFOLD_DEV_PACKAGE})
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_SUGGESTS "libsdl2-dev, libphysfs-dev")
set(CPACK_DEBIAN_DEV_DESCRIPTION [=[game-side reader for Wrenfold data packs
Wrenfold packs a game's data files into Data.Pak, stand-alone or appended
to the game's executable. This package holds the reader a game links to
open such a pack: plain C++17 with a C interface, no dependency beyond the
standard library, under the zlib licence.

It reads a pack from a file, a stream or memory, lists its entries, looks
names up without regard to case and reads an entry whole, in ranges or in
chunks. The static library comes with its headers, a CMake package
(find_package(wfpak)) and a pkg-config file.]=])

# The changelog's top entry names the version being packaged.
file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/dist/changelog wrenfold_changelog_top LIMIT_COUNT 1)
if(NOT wrenfold_changelog_top MATCHES "^wrenfold \\(${PROJECT_VERSION}\\) ")
  message(WARNING "dist/changelog has no entry for version ${PROJECT_VERSION} at its top")
endif()

include(CPack)

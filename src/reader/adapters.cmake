# The adapters for games that load through SDL2 or PhysicsFS: each one C99
# header and one source, a target of its own, off unless asked for.
option(WFPAK_SDL2 "Build wfpak::sdl2, entries of a pack as SDL_RWops" OFF)
option(WFPAK_PHYSFS "Build wfpak::physfs, a pack mounted in PhysicsFS" OFF)
# Their tests (tests/CMakeLists.txt) run with the reader's own, against the
# real SDL2 and PhysicsFS.

if(WFPAK_SDL2 OR WFPAK_PHYSFS)
  enable_language(C)
  include(GNUInstallDirs)
endif()

# A static library (position-independent, so a game's own shared library can
# hold it) over the reader. Built here, it brings SDL2 or PhysicsFS along;
# installed, it names neither: the game links them as it already does.
function(wfpak_adapter name source header dependency)
  set(target wfpak_${name})
  add_library(${target} STATIC ${CMAKE_CURRENT_LIST_DIR}/src/${source}
                               ${CMAKE_CURRENT_LIST_DIR}/include/wfpak/${header})
  add_library(wfpak::${name} ALIAS ${target})
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_LIST_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_link_libraries(${target} PUBLIC wfpak::reader $<BUILD_INTERFACE:${dependency}>)
  set_target_properties(${target} PROPERTIES C_STANDARD 99 C_STANDARD_REQUIRED ON C_EXTENSIONS OFF
                                             POSITION_INDEPENDENT_CODE ON AUTOMOC OFF
                                             EXPORT_NAME ${name})
  if(CMAKE_C_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic $<$<BOOL:${WFPAK_WERROR}>:-Werror>)
  endif()
  install(TARGETS ${target} EXPORT wfpakTargets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/include/wfpak/${header}
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/wfpak COMPONENT dev)
endfunction()

if(WFPAK_SDL2)
  find_package(SDL2 REQUIRED)
  wfpak_adapter(sdl2 wfpak_sdl2.c wfpak_sdl2.h SDL2::SDL2)
endif()

if(WFPAK_PHYSFS)
  # Debian's libphysfs-dev has a pkg-config file and no CMake package.
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(WFPAK_PHYSFS_PC QUIET IMPORTED_TARGET GLOBAL physfs)
  endif()
  if(TARGET PkgConfig::WFPAK_PHYSFS_PC)
    set(wfpak_physfs_dependency PkgConfig::WFPAK_PHYSFS_PC)
  else()
    find_path(WFPAK_PHYSFS_INCLUDE_DIR physfs.h)
    find_library(WFPAK_PHYSFS_LIBRARY physfs)
    if(NOT WFPAK_PHYSFS_INCLUDE_DIR OR NOT WFPAK_PHYSFS_LIBRARY)
      message(FATAL_ERROR "WFPAK_PHYSFS needs PhysicsFS 3 (Debian: libphysfs-dev)")
    endif()
    add_library(wfpak_physfs_dependency INTERFACE IMPORTED GLOBAL)
    set_target_properties(wfpak_physfs_dependency PROPERTIES
      INTERFACE_INCLUDE_DIRECTORIES "${WFPAK_PHYSFS_INCLUDE_DIR}"
      INTERFACE_LINK_LIBRARIES "${WFPAK_PHYSFS_LIBRARY}")
    set(wfpak_physfs_dependency wfpak_physfs_dependency)
  endif()
  wfpak_adapter(physfs wfpak_physfs.c wfpak_physfs.h ${wfpak_physfs_dependency})
endif()

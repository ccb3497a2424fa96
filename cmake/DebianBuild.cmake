# Building as Debian builds its packages (the package build turns this on).
if(NOT WRENFOLD_DEBIAN_BUILD)
  return()
endif()

# Debian's hardening flags (what dpkg-buildflags gives with hardening=+all),
# spelled out so the build does not depend on dpkg-dev's defaults; lintian
# checks the binaries for each of them.
add_compile_definitions(_FORTIFY_SOURCE=2)
add_compile_options(-fstack-protector-strong -fstack-clash-protection -fcf-protection
                    -Wformat -Werror=format-security)
# Position-independent executables, and static libraries a PIE can link.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()
add_link_options(-Wl,-z,relro,-z,now)

# No compiler version strings in our objects, and none from the C run-time's
# start files in the programs: strip removes them as dh_strip does.
add_compile_options(-fno-ident)
set(CMAKE_STRIP ${CMAKE_CURRENT_LIST_DIR}/debian-strip.sh)

# The adapters' tests, against the real SDL2 and PhysicsFS, on packs that
# WFPAK_PACK_TOOL builds in a scratch folder of the build tree.
enable_language(CXX)
find_package(Threads REQUIRED)
add_library(wfpak_pack_fixture STATIC ${CMAKE_CURRENT_LIST_DIR}/PackFixture.cpp ${CMAKE_CURRENT_LIST_DIR}/PackFixture.h)
target_compile_features(wfpak_pack_fixture PUBLIC cxx_std_17)
target_include_directories(wfpak_pack_fixture PUBLIC ${CMAKE_CURRENT_LIST_DIR})
set_target_properties(wfpak_pack_fixture PROPERTIES AUTOMOC OFF)

foreach(adapter sdl2 physfs)
  string(TOUPPER ${adapter} option)
  if(WFPAK_${option})
    add_executable(tst_wfpak_${adapter} ${CMAKE_CURRENT_LIST_DIR}/tst_wfpak_${adapter}.cpp)
    set_target_properties(tst_wfpak_${adapter} PROPERTIES AUTOMOC OFF)
    target_link_libraries(tst_wfpak_${adapter} PRIVATE wfpak::${adapter} wfpak_pack_fixture Threads::Threads)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
      # PHYSFS_isDirectory is deprecated since 3.0, and games still call it.
      target_compile_options(tst_wfpak_${adapter} PRIVATE -Wall -Wextra -Wno-deprecated-declarations)
    endif()
    add_test(NAME wfpak_${adapter}
             COMMAND tst_wfpak_${adapter} ${WFPAK_PACK_TOOL} ${CMAKE_CURRENT_BINARY_DIR}/wfpak_${adapter}_scratch)
    set_tests_properties(wfpak_${adapter} PROPERTIES
      ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy" TIMEOUT 120)
  endif()
endforeach()

# The adapters are copied into games built by other compilers: strict C99
# under clang too.
find_program(WFPAK_CLANG NAMES clang clang-14)
if(WFPAK_CLANG)
  foreach(adapter sdl2 physfs)
    string(TOUPPER ${adapter} option)
    if(WFPAK_${option})
      add_test(NAME wfpak_${adapter}_clang
               COMMAND ${WFPAK_CLANG} -std=c99 -Wall -Wextra -Werror -pedantic -fsyntax-only
                       "-I$<JOIN:$<TARGET_PROPERTY:wfpak_${adapter},INCLUDE_DIRECTORIES>,;-I>"
                       ${CMAKE_CURRENT_LIST_DIR}/../src/wfpak_${adapter}.c
               COMMAND_EXPAND_LISTS)
    endif()
  endforeach()
endif()

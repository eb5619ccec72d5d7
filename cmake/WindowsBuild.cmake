# The 32-bit Windows build: the program, its libraries and their tests under Wine.
enable_language(RC)

add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
# The program needs no DLL but the system's.
add_link_options(-static -static-libgcc -static-libstdc++)

# Cross-built on Linux: the Wine prefix of this build tree and the wrapper that runs every test
# program in it. Built on Windows itself, tests run as they are.
if(CMAKE_CROSSCOMPILING)
    set(VEK_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    set(VEK_SCRIPTS ${CMAKE_SOURCE_DIR}/scripts)
    set(VEK_DISPLAY_STATE ${CMAKE_BINARY_DIR}/display)
    configure_file(${CMAKE_SOURCE_DIR}/scripts/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# GoogleTest from Debian's sources, built with this toolchain.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(VEK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources built with this toolchain")
add_subdirectory(${VEK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

add_subdirectory(common)
add_subdirectory(classlib)
add_subdirectory(servicecontrol)
add_subdirectory(Main)
add_subdirectory(adminserver)
add_subdirectory(tools)
add_subdirectory(tests/win)

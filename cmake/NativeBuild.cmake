# The native build: the portable code, its tests and (plain builds only) the fuzz targets.
option(VEK_SANITIZE "Build and test under AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VEK_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

find_package(GTest REQUIRED)

add_subdirectory(common)
add_subdirectory(provider)
add_subdirectory(tests/native)

# libFuzzer targets (clang): cmake -S . -B build/fuzz -G Ninja -DVEK_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++
option(VEK_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(VEK_FUZZ)
    add_subdirectory(tests/fuzz)
endif()

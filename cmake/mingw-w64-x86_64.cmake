# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads, so std::thread and std::mutex
# work), test programs run under Wine.
#
# The Windows builds of Qt, QCustomPlot and GoogleTest are found through CMAKE_PREFIX_PATH (scripts/windows
# passes their cache folders); nothing is ever taken from the build machine's own Linux libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LIDORA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LIDORA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LIDORA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${LIDORA_MINGW_TRIPLET}-windres)

# The prefixes passed in become roots too, so that only they and the MinGW sysroot are searched for
# headers, libraries and packages; host programs (moc and friends are Linux programs) come from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${LIDORA_MINGW_TRIPLET} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test discovery and every test run through Wine.
find_program(LIDORA_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${LIDORA_WINE})

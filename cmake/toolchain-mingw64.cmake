# Cross-compiles for 64-bit Windows with the posix-threads flavour of mingw-w64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(OC_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${OC_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OC_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${OC_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${OC_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest runs every test executable through Wine with the project's private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)

# WebAssembly with Debian's emscripten; programs are JavaScript run by node with direct
# access to the files (NODERAWFS) and threads (the program's main in a thread of its own).
# The objects are optimised by the compiler as in every build; the link does not run
# binaryen's optimiser over each program again (-O1 after the build type's -O3), which took
# nine tenths of each link, for programs that only run tests. The page's own
# build (web.cmake) keeps the full optimisation.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
set(TROPHEX_WASM_FLAGS "-pthread -fexceptions")
set(CMAKE_C_FLAGS_INIT "${TROPHEX_WASM_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${TROPHEX_WASM_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-pthread -fexceptions -O1 -sPROXY_TO_PTHREAD -sSINGLE_FILE=1 -sNODERAWFS=1 -sEXIT_RUNTIME=1 -sINITIAL_MEMORY=1073741824")
set(CMAKE_CROSSCOMPILING_EMULATOR node)

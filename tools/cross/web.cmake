# The browser page's engine with Debian's emscripten: no threads (a page opened from disk
# has no SharedArrayBuffer), exceptions on, as the engine reports faults by throwing.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
set(CMAKE_C_FLAGS_INIT "-fexceptions")
set(CMAKE_CXX_FLAGS_INIT "-fexceptions")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fexceptions")

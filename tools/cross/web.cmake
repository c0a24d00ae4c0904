# The browser page's engine with Debian's emscripten: no threads (a page opened from disk
# has no SharedArrayBuffer), exceptions on, as the engine reports faults by throwing: the
# WebAssembly ones, which cost nothing until thrown (emscripten's own wrap every call in
# JavaScript and make the engine several times slower).
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
# Link-time optimisation, so that the software extended type's operations are inlined into
# the model as the compiler does within one file.
set(CMAKE_C_FLAGS_INIT "-fwasm-exceptions -flto")
set(CMAKE_CXX_FLAGS_INIT "-fwasm-exceptions -flto")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fwasm-exceptions -flto")

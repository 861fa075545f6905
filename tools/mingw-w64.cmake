# Cross-builds for 64-bit Windows with Debian's MinGW-w64 compilers. pkg-config must
# find the Windows SDL, never the system's: the caller points PKG_CONFIG_LIBDIR at it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++)

# The C and C++ runtimes go into the program, so that it needs no DLL beyond SDL's and Windows' own.
# With the compiler's POSIX thread model the C++ runtime calls winpthread: that goes in whole too.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic")

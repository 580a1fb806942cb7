# Hardens every target as Debian builds its own packages: a stack protector, fortified C
# library calls in optimized builds, control-flow protection on x86, read-only relocations
# bound at start, and position-independent executables. Each only where the compiler or
# linker takes it, so that other toolchains, the sanitizers and the fuzzers still build.
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)
include(CheckCXXSourceCompiles)
include(CheckPIESupported)

check_pie_supported(OUTPUT_VARIABLE tob_pie_output LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON) # PIE where that check found the linker takes it

# A function with an array gets the guard, whose calls must then come from the C library: MinGW-w64
# takes them from a DLL of its own, which Windows does not ship. So the check, like the program,
# gives the option to the compiler alone (as a "definition"), and links without it.
set(CMAKE_REQUIRED_DEFINITIONS -fstack-protector-strong)
check_cxx_source_compiles("#include <cstdio>
  int main(int argc, char** argv) { char name[64]; return std::snprintf(name, sizeof name, \"%s\", argv[0]) + argc; }"
  TOB_CXX_STACK_PROTECTOR)
unset(CMAKE_REQUIRED_DEFINITIONS)
if(TOB_CXX_STACK_PROTECTOR)
  add_compile_options(-fstack-protector-strong)
endif()

if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86)$")
  check_cxx_compiler_flag(-fcf-protection TOB_CXX_CF_PROTECTION)
  if(TOB_CXX_CF_PROTECTION)
    add_compile_options(-fcf-protection)
  endif()
endif()

# ELF's: a Mach-O program has no such sections, and zig's linker takes the options and ignores them.
if(NOT APPLE)
  check_linker_flag(CXX "LINKER:-z,relro,-z,now" TOB_LINKER_RELRO_NOW)
endif()
if(TOB_LINKER_RELRO_NOW)
  add_link_options("LINKER:-z,relro,-z,now")
endif()

# The highest level the C library honours (glibc: 3 from 2.34 with GCC 12 or Clang 9, else 2).
# Left out under the sanitizers, whose own checks of these calls it would stand in front of.
if(NOT TOB_SANITIZE)
  foreach(level 3 2)
    set(CMAKE_REQUIRED_FLAGS "-O2 -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=${level}")
    check_cxx_source_compiles("#include <cstdio>
      #if !defined(__USE_FORTIFY_LEVEL) || __USE_FORTIFY_LEVEL < ${level}
      #error the C library does not fortify at this level
      #endif
      int main() { return std::puts(\"\"); }" TOB_FORTIFY_SOURCE_${level})
    unset(CMAKE_REQUIRED_FLAGS)
    if(TOB_FORTIFY_SOURCE_${level})
      set(optimized "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
      add_compile_options("$<${optimized}:-U_FORTIFY_SOURCE>" "$<${optimized}:-D_FORTIFY_SOURCE=${level}>")
      break()
    endif()
  endforeach()
endif()

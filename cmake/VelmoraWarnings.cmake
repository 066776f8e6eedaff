# Warnings are errors in our own code (not in third-party headers, which come
# in as system includes). GCC 12 at -O2/-O3 reports -Wrestrict on plain
# std::string concatenation inside libstdc++ (a known false positive), so
# that one check is left to Debug builds and clang.
function(velmora_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Wcast-align -Wunused -Woverloaded-virtual
                                           -Wconversion -Wsign-conversion -Wimplicit-fallthrough
                                           -Werror
                                           $<$<AND:$<CXX_COMPILER_ID:GNU>,$<NOT:$<CONFIG:Debug>>>:-Wno-restrict>)
endfunction()

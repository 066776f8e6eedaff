# The automation server's type library: widl compiles the IDL into the
# binary type library that the DLL carries as a resource, and into the C
# header of its interfaces and identifiers for the server's code. The
# system IDL files come with libwine-dev, stdole2.tlb with Wine.
find_program(VELMORA_WIDL NAMES ${VELMORA_MINGW_TRIPLE}-widl widl REQUIRED)
find_path(VELMORA_SYSTEM_IDL oaidl.idl PATHS /usr/include/wine/wine/windows NO_CMAKE_FIND_ROOT_PATH
          REQUIRED)
find_path(VELMORA_STDOLE_DIR stdole2.tlb PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)

# Generates <out_dir>/<name>.tlb and <name>.h from `idl`.
function(velmora_type_library idl out_dir)
  get_filename_component(name ${idl} NAME_WE)
  set(widl ${VELMORA_WIDL} -m64 -I ${VELMORA_SYSTEM_IDL} -L ${VELMORA_STDOLE_DIR})
  add_custom_command(
    OUTPUT ${out_dir}/${name}.tlb ${out_dir}/${name}.h
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND ${widl} -t -o ${out_dir}/${name}.tlb ${idl}
    COMMAND ${widl} -h -o ${out_dir}/${name}.h ${idl}
    DEPENDS ${idl}
    COMMENT "widl: type library and header of ${name}.idl"
    VERBATIM)
endfunction()

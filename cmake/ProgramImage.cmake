# veltaro_program_image(TARGET DESCRIPTION file [PAYLOAD zip] [DEPENDS files...])
# Runs the host image tool on a program description and makes an object library of the
# generated program image (header, tables, records, entry table, pool and templates).
function(veltaro_program_image target)
  cmake_parse_arguments(P "" "DESCRIPTION;PAYLOAD" "DEPENDS" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target})
  set(tool ${VELTARO_HOST_TOOLS}/bin/imagetool)
  set(args --description ${P_DESCRIPTION} --out ${out} --depfile ${out}/program_image.d)
  if(P_PAYLOAD)
    list(APPEND args --payload ${P_PAYLOAD})
  endif()
  # The tool rewrites only what changed. program_image.S stays the same when only bytes it
  # embeds change (a text of the same length, new product files of the same size), so the
  # assembly also depends on every file it embeds.
  set(embedded ${out}/pool_head.bin ${out}/pool_tail.bin ${out}/templates.bin)
  add_custom_command(
    OUTPUT ${out}/program_image.cpp ${out}/program_image.S ${out}/program_pool.h ${embedded}
    COMMAND ${tool} ${args}
    DEPENDS ${P_DESCRIPTION} ${tool} ${P_DEPENDS} ${P_PAYLOAD}
    DEPFILE ${out}/program_image.d
    COMMENT "Building program image ${target}")
  set_source_files_properties(${out}/program_image.S PROPERTIES OBJECT_DEPENDS
                              "${out}/program_image.cpp;${embedded};${P_PAYLOAD}")
  add_library(${target} OBJECT ${out}/program_image.cpp ${out}/program_image.S)
  target_include_directories(${target} PUBLIC ${out})
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:ASM>:-I${out}>)
endfunction()

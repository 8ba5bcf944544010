# tintrix_gzip(SOURCE OUTPUT_VARIABLE): compresses SOURCE at build time into the build folder,
# as FILE.gz in gz/ of the current one, and sets OUTPUT_VARIABLE to that path. Debian wants
# man pages and changelogs compressed at the highest level, and without the name and time
# stamp that gzip would otherwise store, which would make two builds of the same files differ
# (gzip -9n). A target that DEPENDS on the output makes it.
find_program(TINTRIX_GZIP gzip REQUIRED)

function(tintrix_gzip source output_variable)
  get_filename_component(name ${source} NAME)
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/gz)
  file(MAKE_DIRECTORY ${folder})
  # gzip compresses a file in place, so it gets a copy of its own.
  add_custom_command(OUTPUT ${folder}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${folder}/${name}
    COMMAND ${TINTRIX_GZIP} -9nf ${folder}/${name}
    DEPENDS ${source}
    COMMENT "Compressing ${name}"
    VERBATIM)
  set(${output_variable} ${folder}/${name}.gz PARENT_SCOPE)
endfunction()

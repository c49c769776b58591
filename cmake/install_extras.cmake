# What a Unix installation carries besides the programs.
include(GNUInstallDirs)

# Man pages go in compressed, as Debian's policy asks (-n: no name or time
# stamp inside, so the same page always packs to the same bytes).
find_program(QUELTER_GZIP gzip)
function(quelter_install_man page)
  if(NOT UNIX)
    return()
  endif()
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/${page})
  if(NOT QUELTER_GZIP)
    install(FILES ${source} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    return()
  endif()
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/${page})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND ${QUELTER_GZIP} -9nf ${copy}
    DEPENDS ${source}
    COMMENT "Compressing the man page ${page}"
    VERBATIM)
  add_custom_target(man-${page} ALL DEPENDS ${copy}.gz)
  install(FILES ${copy}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# What Linux installs under any prefix: the program, its manual page and shell completion,
# which need only libc; the window module and what the desktop shows of it (debian/ splits
# them into the packages tavrel and tavrel-window).
set(app_id org.tavrel.Tavrel)
set(icon_sizes 16 32 48 64 128 256)
foreach(size IN LISTS icon_sizes)
  add_custom_command(OUTPUT tavrel-${size}.png COMMAND icon_tool png ${size} tavrel-${size}.png
    DEPENDS icon_tool VERBATIM)
  list(APPEND desktop_files tavrel-${size}.png)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tavrel-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME tavrel.png COMPONENT tavrel-window)
endforeach()
configure_file(tavrel.1.in tavrel.1 @ONLY)
# The options' table makes the bash completion; the manual page must list the same options,
# or the build stops here.
add_custom_command(OUTPUT tavrel.bash-completion
  COMMAND gnu_options_tool manual tavrel.1
  COMMAND gnu_options_tool completion ${CMAKE_CURRENT_SOURCE_DIR}/tavrel.bash-completion.in
    tavrel.bash-completion
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/tavrel.1 tavrel.bash-completion.in gnu_options_tool)
configure_file(${app_id}.metainfo.xml.in ${app_id}.metainfo.xml @ONLY)
add_custom_target(desktop_files ALL DEPENDS ${desktop_files} tavrel.bash-completion)

install(TARGETS tavrel RUNTIME DESTINATION bin COMPONENT tavrel)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tavrel.1 DESTINATION share/man/man1 COMPONENT tavrel)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tavrel.bash-completion
  DESTINATION share/bash-completion/completions RENAME tavrel COMPONENT tavrel)
install(TARGETS tavrel-fltk LIBRARY DESTINATION ${TAVREL_MODULE_DIR} COMPONENT tavrel-window)
install(FILES ${app_id}.desktop DESTINATION share/applications COMPONENT tavrel-window)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${app_id}.metainfo.xml DESTINATION share/metainfo
  COMPONENT tavrel-window)


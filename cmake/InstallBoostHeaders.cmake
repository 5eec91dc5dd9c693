# Installs the Boost headers the plugin frame's compilation read (Boost.Format's, for the
# logging helpers) under ${ZOR_INCLUDE_DESTINATION}/boost: a Windows SDK carries them, so that a
# plugin author needs no Boost of the target. The list comes from the dependency files the
# compiler wrote for the target (ZOR_DEPFILES_DIR), so it fits the target's compiler.
file(GLOB_RECURSE depfiles "${ZOR_DEPFILES_DIR}/*.d")
set(headers)
foreach(depfile ${depfiles})
  file(READ "${depfile}" text)
  string(REGEX MATCHALL "[^ \t\r\n:\\\\]*/boost/[^ \t\r\n\\\\]+" found "${text}")
  list(APPEND headers ${found})
endforeach()
list(REMOVE_DUPLICATES headers)
if(NOT headers)
  message(FATAL_ERROR "no Boost header in the plugin frame's dependency files (${ZOR_DEPFILES_DIR})")
endif()
foreach(header ${headers})
  string(REGEX REPLACE "^.*/(boost/.*)$" "\\1" relative "${header}")
  get_filename_component(folder "${relative}" DIRECTORY)
  file(INSTALL "${header}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${ZOR_INCLUDE_DESTINATION}/${folder}")
endforeach()

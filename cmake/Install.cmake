# What `cmake --install` puts in a prefix for plugin authors and host programmers: the
# published headers with the frame, messaging, platform and core library headers they include,
# the libraries a plugin links, the core library stand-in, the module with the demo host, the
# sample configuration, a CMake package (QRNDailyActivity, targets QRN::...) and a pkg-config
# file. Every path inside is relative to the prefix.
include(CMakePackageConfigHelpers)

set(zor_package_dir lib/cmake/QRNDailyActivity)
set(zor_data_dir share/QRNDailyActivity)
set(zor_dl_flag "")
if(CMAKE_DL_LIBS)
  set(zor_dl_flag "-l${CMAKE_DL_LIBS}")
endif()

install(TARGETS zor_platform ZorCore zor_logging zor_plugin dailyactivity_api EXPORT QRNDailyActivityTargets
        ARCHIVE DESTINATION lib
        LIBRARY DESTINATION lib
        RUNTIME DESTINATION bin)
# Messages and the host's interfaces need the protobuf runtime and Lua: their own set, loaded
# by the package when those are found.
install(TARGETS zor_event zor_hostapi EXPORT QRNDailyActivityMessagingTargets ARCHIVE DESTINATION lib)
# The module stands beside the host program that loads it by file name.
install(TARGETS QRN_DailyActivity qrn_host EXPORT QRNDailyActivityTargets
        LIBRARY DESTINATION bin
        RUNTIME DESTINATION bin)
set_target_properties(QRN_DailyActivity PROPERTIES EXPORT_NAME Module)

install(FILES ${PROJECT_SOURCE_DIR}/DailyActivity/include/DailyActivity/IDailyActivity.h
              ${PROJECT_SOURCE_DIR}/DailyActivity/include/DailyActivity/IDailyActivityExplain.h
              ${PROJECT_SOURCE_DIR}/DailyActivity/include/DailyActivity/IDailyActivityRewardList.h
              ${PROJECT_SOURCE_DIR}/DailyActivity/include/DailyActivity/IRoleDailyActivityInfo.h
              ${PROJECT_SOURCE_DIR}/DailyActivity/include/DailyActivity/DailyActivityTypes.h
        DESTINATION ${ZOR_INSTALL_INCLUDEDIR}/DailyActivity)
foreach(folder logging plugin event hostapi)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/ DESTINATION ${ZOR_INSTALL_INCLUDEDIR}/${folder}
          FILES_MATCHING PATTERN "*.h")
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/platform/Platform.h DESTINATION ${ZOR_INSTALL_INCLUDEDIR}/platform)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/zorcore/include/zor/ DESTINATION ${ZOR_INSTALL_INCLUDEDIR}/zor)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/config/ DESTINATION ${zor_data_dir}/config)
if(WIN32)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/bin/ DESTINATION bin FILES_MATCHING
          PATTERN "libstdc++-6.dll" PATTERN "libgcc_s_seh-1.dll" PATTERN "libwinpthread-1.dll"
          PATTERN "lua54.dll" PATTERN "libprotobuf.dll")
endif()

install(EXPORT QRNDailyActivityTargets NAMESPACE QRN:: DESTINATION ${zor_package_dir})
install(EXPORT QRNDailyActivityMessagingTargets NAMESPACE QRN:: DESTINATION ${zor_package_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/QRNDailyActivityConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/QRNDailyActivityConfig.cmake INSTALL_DESTINATION ${zor_package_dir}
                              PATH_VARS zor_data_dir)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/QRNDailyActivityConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/QRNDailyActivityConfig.cmake ${CMAKE_BINARY_DIR}/QRNDailyActivityConfigVersion.cmake
        DESTINATION ${zor_package_dir})

configure_file(${CMAKE_CURRENT_LIST_DIR}/qrn-dailyactivity.pc.in ${CMAKE_BINARY_DIR}/qrn-dailyactivity.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/qrn-dailyactivity.pc DESTINATION lib/pkgconfig)

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
install(FILES ${PROJECT_SOURCE_DIR}/platform/Platform.h ${PROJECT_SOURCE_DIR}/platform/ThreadKey.h
        DESTINATION ${ZOR_INSTALL_INCLUDEDIR}/platform)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/zorcore/include/zor/ DESTINATION ${ZOR_INSTALL_INCLUDEDIR}/zor)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/config/ DESTINATION ${zor_data_dir}/config)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/activity_panel DESTINATION ${zor_data_dir}/examples)
if(WIN32)
  # The DLLs a process of this build needs beside its program (the C++ runtime's too, for
  # MinGW; in Microsoft's ABI that is the system's Visual C++ runtime).
  install(FILES ${zor_runtime_dlls} DESTINATION bin)
  # What a plugin author builds with: the toolchain file, with the target's runtime folder for
  # Microsoft's ABI, and the Boost headers the logging helpers include (Boost.Format's), found
  # from what the compiler read for the plugin frame.
  if(ZOR_MSVC_ABI)
    set(zor_toolchain clang-msvc-x86_64.cmake)
    install(DIRECTORY ${QRN_MSVC_SYSROOT}/ DESTINATION ${zor_data_dir}/toolchain/msvc-sysroot)
  else()
    set(zor_toolchain mingw-w64-x86_64.cmake)
  endif()
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/${zor_toolchain} ${CMAKE_CURRENT_LIST_DIR}/windows-find.cmake
          DESTINATION ${zor_data_dir}/toolchain)
  install(CODE "set(ZOR_DEPFILES_DIR \"${CMAKE_BINARY_DIR}/plugin/CMakeFiles/zor_plugin.dir\")
                set(ZOR_INCLUDE_DESTINATION \"${ZOR_INSTALL_INCLUDEDIR}\")")
  install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallBoostHeaders.cmake)
  if(ZOR_MSVC_ABI)
    set(zor_sdk_abi msvc)
    set(zor_sdk_abi_text "Microsoft's C++ ABI (the game client's)")
    set(zor_sdk_compiler "Debian's clang 16 for x86_64-pc-windows-msvc, linked by lld-link 16; libc++ 16 inside each module, the C runtime the system's ucrtbase.dll")
    set(zor_sdk_runtime "the system's Visual C++ 2015-2022 runtime (vcruntime140.dll, msvcp140.dll) and ucrtbase.dll")
    set(zor_sdk_packages "clang-16 lld-16 llvm-16 libwine-dev libboost-dev cmake (and wine to run it)")
  else()
    set(zor_sdk_abi mingw)
    set(zor_sdk_abi_text "MinGW-w64's GCC (Itanium's C++ ABI)")
    set(zor_sdk_compiler "Debian's MinGW-w64 GCC, posix threads (x86_64-w64-mingw32-g++-posix)")
    set(zor_sdk_runtime "libstdc++-6.dll, libgcc_s_seh-1.dll and libwinpthread-1.dll (in bin/)")
    set(zor_sdk_packages "g++-mingw-w64-x86-64-posix libboost-dev cmake (and wine to run it)")
  endif()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/SdkReadme.txt.in ${CMAKE_BINARY_DIR}/SdkReadme.txt @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/SdkReadme.txt DESTINATION . RENAME README.txt)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME QRNDailyActivity-SDK)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_FILE_NAME QRNDailyActivity-SDK-${PROJECT_VERSION}-windows-${zor_sdk_abi})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/sdk)
  include(CPack)
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

# The Windows program as it is installed: vodazi.exe with the Qt libraries and plugins it
# loads and the compiler's runtime libraries beside it, so that the folder runs as it is.
find_package(Qt6 REQUIRED COMPONENTS Core)
get_target_property(vodazi_qt_core Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(vodazi_qt_bin "${vodazi_qt_core}" DIRECTORY)
get_filename_component(vodazi_qt_prefix "${vodazi_qt_bin}" DIRECTORY)
install(FILES
  ${vodazi_qt_bin}/Qt6Core.dll ${vodazi_qt_bin}/Qt6Gui.dll ${vodazi_qt_bin}/Qt6Widgets.dll
  DESTINATION .)
install(FILES ${vodazi_qt_prefix}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${vodazi_qt_prefix}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)

foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
    OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${runtime_path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${runtime} is")
  endif()
  install(FILES ${runtime_path} DESTINATION .)
endforeach()

install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)

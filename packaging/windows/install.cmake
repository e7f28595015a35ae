# A Windows program carries its libraries next to its .exe, where Windows looks first: Qt's DLLs and the
# plugins Qt loads at run time (the platform, the native style, printing), QCustomPlot, and the MinGW
# runtime. Installed, the folder runs on any Windows PC as it is; the installer and the zip hold it.
# Qt's versionless targets only point at these, so the files come from the versioned ones.
foreach(module Core Gui Widgets PrintSupport Network Xml)
    install(FILES $<TARGET_FILE:Qt5::${module}> DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
install(FILES $<TARGET_FILE:${LIDORA_QCUSTOMPLOT_TARGET}> DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES $<TARGET_FILE:Qt5::QWindowsIntegrationPlugin> DESTINATION ${CMAKE_INSTALL_BINDIR}/platforms)
install(FILES $<TARGET_FILE:Qt5::QWindowsVistaStylePlugin> DESTINATION ${CMAKE_INSTALL_BINDIR}/styles)
install(FILES $<TARGET_FILE:Qt5::QWindowsPrinterSupportPlugin> DESTINATION ${CMAKE_INSTALL_BINDIR}/printsupport)

foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}")
        message(FATAL_ERROR "The compiler does not know its runtime library ${runtime}")
    endif()
    install(FILES ${path} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/docs/automation.md DESTINATION ${CMAKE_INSTALL_BINDIR})

# A Windows build with Qt puts its programs and tests in one folder, bin/, beside the DLLs and the
# plugins they load, laid out as the release ZIP lays them out; so they run under Wine as they
# would from the unpacked ZIP.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# MinGW's runtime, which Qt's DLLs import.
set(BRIKMUX_MINGW_RUNTIME)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "MinGW's ${dll} is not where ${CMAKE_CXX_COMPILER} looks for it")
    endif()
    file(REAL_PATH "${path}" path)
    list(APPEND BRIKMUX_MINGW_RUNTIME "${path}")
endforeach()

set(bin ${PROJECT_BINARY_DIR}/bin)
add_custom_target(brikmux_windows_runtime ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${bin}/platforms ${bin}/styles
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${BRIKMUX_MINGW_RUNTIME}
            $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets> $<TARGET_FILE:Qt6::Test>
            ${bin}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
            $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin> ${bin}/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> ${bin}/styles
    COMMENT "Copying the Qt and MinGW DLLs beside the programs"
    VERBATIM)

# Installs the build BUILD_DIR into PREFIX (emptied first), compares the files there with the
# list below, then runs the installed programs' --version (they must say VERSION).
set(expected
    bin/verbolt
    libexec/verbolt/verbolt-window
    share/applications/invalid.verbolt.Verbolt.desktop
    share/doc/verbolt/LICENSE
    share/icons/hicolor/128x128/apps/invalid.verbolt.Verbolt.png
    share/icons/hicolor/16x16/apps/invalid.verbolt.Verbolt.png
    share/icons/hicolor/256x256/apps/invalid.verbolt.Verbolt.png
    share/icons/hicolor/32x32/apps/invalid.verbolt.Verbolt.png
    share/icons/hicolor/48x48/apps/invalid.verbolt.Verbolt.png
    share/icons/hicolor/64x64/apps/invalid.verbolt.Verbolt.png
    share/icons/hicolor/scalable/apps/invalid.verbolt.Verbolt.svg
    share/man/man1/verbolt.1
    share/metainfo/invalid.verbolt.Verbolt.metainfo.xml
)

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    OUTPUT_QUIET RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${PREFIX}" "${PREFIX}/*")
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
    list(JOIN installed "\n  " installed)
    list(JOIN expected "\n  " expected)
    message(FATAL_ERROR "installed:\n  ${installed}\nexpected:\n  ${expected}")
endif()

foreach(program bin/verbolt libexec/verbolt/verbolt-window)
    execute_process(COMMAND "${PREFIX}/${program}" --version
        OUTPUT_VARIABLE version RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT version STREQUAL "verbolt ${VERSION}\n")
        message(FATAL_ERROR "installed ${program} --version: status ${status}, said \"${version}\"")
    endif()
endforeach()

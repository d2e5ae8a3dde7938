# Installs the build into a scratch prefix and checks that every program and
# the desktop entry, icon, demo capture and documents land where a Debian
# program keeps them. Run with -DBUILD_DIR=... -DPREFIX=...
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file
    bin/corvane bin/corvaned bin/corvane-cardserver bin/corvane-link bin/corvane-decode bin/corvane-search
    share/applications/corvane.desktop share/icons/hicolor/scalable/apps/corvane.svg
    share/corvane/demo-capture.jsonl share/doc/corvane/README.md)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ "${PREFIX}/share/applications/corvane.desktop" entry)
if(NOT entry MATCHES "Exec=corvane\n" OR NOT entry MATCHES "Icon=corvane\n")
  message(FATAL_ERROR "the desktop entry does not start corvane with its icon")
endif()
file(REMOVE_RECURSE "${PREFIX}")

# Installs the build as the package does (prefix /usr, into a scratch root
# through DESTDIR, so that the absolute /etc and /lib destinations land there
# too) and checks that every program, its manual page, the desktop entry,
# icon, demo capture, documents, web page and corvaned's service files land
# where a Debian program keeps them; then installs it under a prefix of the
# scratch root.
# Run with -DBUILD_DIR=... -DPREFIX=... (the scratch root).
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "DESTDIR=${PREFIX}"
                        "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix /usr
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file
    usr/bin/corvane usr/bin/corvaned usr/bin/corvane-cardserver usr/bin/corvane-link usr/bin/corvane-decode
    usr/bin/corvane-search usr/bin/corvane-store usr/share/applications/corvane.desktop usr/share/icons/hicolor/scalable/apps/corvane.svg
    usr/share/corvane/demo-capture.jsonl usr/share/doc/corvane/README.md usr/share/doc/corvane/station-setup.md
    etc/corvane/corvaned.conf lib/systemd/system/corvaned.service
    usr/share/man/man1/corvane.1 usr/share/man/man1/corvaned.1 usr/share/man/man1/corvane-link.1
    usr/share/man/man1/corvane-cardserver.1 usr/share/man/man1/corvane-search.1 usr/share/man/man1/corvane-decode.1
    usr/share/man/man1/corvane-store.1
    usr/share/man/man5/corvaned.conf.5)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ "${PREFIX}/usr/share/applications/corvane.desktop" entry)
if(NOT entry MATCHES "Exec=corvane\n" OR NOT entry MATCHES "Icon=corvane\n")
  message(FATAL_ERROR "the desktop entry does not start corvane with its icon")
endif()
# The service starts the installed corvaned on the installed settings.
file(READ "${PREFIX}/lib/systemd/system/corvaned.service" unit)
if(NOT unit MATCHES "\nExecStart=/usr/bin/corvaned --config /etc/corvane/corvaned.conf ")
  message(FATAL_ERROR "corvaned.service does not start /usr/bin/corvaned on /etc/corvane/corvaned.conf")
endif()
# systemd takes the unit as it is, with the installed program in its place.
string(REPLACE "/usr/bin/corvaned" "${PREFIX}/usr/bin/corvaned" checked_unit "${unit}")
file(WRITE "${PREFIX}/verify/corvaned.service" "${checked_unit}")
execute_process(COMMAND systemd-analyze verify "${PREFIX}/verify/corvaned.service" RESULT_VARIABLE verified
                ERROR_VARIABLE verify_said OUTPUT_VARIABLE verify_said)
if(NOT verified EQUAL 0 OR NOT verify_said STREQUAL "")
  message(FATAL_ERROR "systemd-analyze verify refuses corvaned.service: ${verify_said}")
endif()
# Every file of the page in the source tree is installed where corvaned
# looks for it (../share/corvane/web beside the program).
get_filename_component(source_web "${CMAKE_CURRENT_LIST_DIR}/../../web" ABSOLUTE)
file(GLOB_RECURSE page_files RELATIVE "${source_web}" "${source_web}/*")
foreach(file ${page_files})
  if(NOT EXISTS "${PREFIX}/usr/share/corvane/web/${file}")
    message(FATAL_ERROR "web page file not installed: ${file}")
  endif()
endforeach()
# Any other prefix keeps the service's files under itself (no root needed).
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}/home/.local"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0 OR NOT EXISTS "${PREFIX}/home/.local/etc/corvane/corvaned.conf"
   OR NOT EXISTS "${PREFIX}/home/.local/lib/systemd/system/corvaned.service")
  message(FATAL_ERROR "cmake --install --prefix PREFIX does not keep the service's files under PREFIX")
endif()
file(REMOVE_RECURSE "${PREFIX}")

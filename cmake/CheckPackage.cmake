# The Debian package as a fresh machine gets it: built by CPack, unpacked into a
# temporary root with dpkg -x, then `lobrix --version` and `lobrix-admin init` run from
# there. Called by CTest with -DBIN=<build folder> -DCPACK=<cpack>.
set(root ${BIN}/package-check)
file(REMOVE_RECURSE ${root})
file(MAKE_DIRECTORY ${root})
file(GLOB old ${BIN}/lobrix_*.deb)
if(old)
  file(REMOVE ${old})
endif()

execute_process(COMMAND ${CPACK} -G DEB WORKING_DIRECTORY ${BIN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${out}\n${err}")
endif()
file(GLOB debs ${BIN}/lobrix_*.deb)
list(LENGTH debs n)
if(NOT n EQUAL 1)
  message(FATAL_ERROR "expected one package, found: ${debs}")
endif()

execute_process(COMMAND dpkg-deb -f ${debs} Package Version Depends OUTPUT_VARIABLE fields RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT fields MATCHES "Version: 10.12" OR NOT fields MATCHES "libqt6widgets6"
   OR NOT fields MATCHES "fonts-liberation2")
  message(FATAL_ERROR "package fields:\n${fields}")
endif()

execute_process(COMMAND dpkg -x ${debs} ${root}/fs RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dpkg -x failed")
endif()
foreach(f usr/bin/lobrix usr/bin/lobrix-admin usr/share/applications/lobrix.desktop
          usr/share/icons/hicolor/256x256/apps/lobrix.png usr/share/metainfo/de.talvo.lobrix.metainfo.xml
          usr/share/man/man1/lobrix.1.gz usr/share/man/man1/lobrix-admin.1.gz usr/share/doc/lobrix/BEDIEN.PDF
          usr/share/doc/lobrix/copyright)
  if(NOT EXISTS ${root}/fs/${f})
    message(FATAL_ERROR "the package lacks ${f}")
  endif()
endforeach()

execute_process(COMMAND ${root}/fs/usr/bin/lobrix --version OUTPUT_VARIABLE version RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT version STREQUAL "lobrix 10.12\n")
  message(FATAL_ERROR "lobrix --version: '${version}' (${rc})")
endif()
execute_process(COMMAND ${root}/fs/usr/bin/lobrix-admin --version OUTPUT_VARIABLE version RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT version STREQUAL "lobrix-admin 10.12\n")
  message(FATAL_ERROR "lobrix-admin --version: '${version}' (${rc})")
endif()
execute_process(COMMAND ${root}/fs/usr/bin/lobrix-admin init ${root}/start ${root}/db
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "lobrix-admin init: ${out}${err}")
endif()
foreach(f start/settings.ini start/Hilfe/BEDIEN.PDF db/Besucher.dbf db/Ausweis.dbf)
  if(NOT EXISTS ${root}/${f})
    message(FATAL_ERROR "lobrix-admin init from the package made no ${f}")
  endif()
endforeach()
message(STATUS "package ${debs} installs and sets up a workstation")

# What an integrator receives (cmake --install, scripts/package.sh): the two libraries, their
# headers, the commands, the integration guide and the example hosts.
#
# The libraries keep the plain file names hosts load them by (libtorvc_pdf417.so,
# TorvVeskClientSession.dll, ...): no SOVERSION, since a versioned file name would leave the name
# a host opens as a development symlink only. The version is in the package and, on Windows, in
# each DLL's version resource.
set(CMAKE_INSTALL_LIBDIR lib)
include(GNUInstallDirs)

# Import libraries stay out of the packages: hosts load the DLLs by name.
install(TARGETS TorvVeskClientSession torvc_pdf417
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} EXCLUDE_FROM_ALL)
install(FILES include/torv_vesk_client.h include/torvc_pdf417.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# The pdf417 command carries the plug-in built in; its --plugin loads lib/libtorvc_pdf417.so by path.
foreach(tool pdf417 pdf417-encode)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
install(FILES docs/integration.md CHANGELOG.md README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES examples/vesk_host.c examples/pdf417_host.c DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

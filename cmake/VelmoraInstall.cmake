# cmake --install: the program in bin, Kelvane beside it in lib, the shipped
# language and help files in share/velmora, the icon and a desktop entry
# that offers the program as a web browser.

file(RELATIVE_PATH velmora_bin_to_lib
    /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
set_target_properties(velmora PROPERTIES INSTALL_RPATH "$ORIGIN/${velmora_bin_to_lib}")
install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS kelvane LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})

file(GLOB velmora_shipped CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/data/*.lng ${PROJECT_SOURCE_DIR}/data/*.html)
install(FILES ${velmora_shipped} DESTINATION ${VELMORA_INSTALL_DATADIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/velmora.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The entry names the program by its full path under the prefix given to
# cmake --install, which may differ from the configured one.
install(CODE "
    set(bin \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/velmora\")
    file(READ \"${PROJECT_SOURCE_DIR}/data/velmora.desktop.in\" entry)
    string(REPLACE \"@VELMORA_BIN@\" \"\${bin}\" entry \"\${entry}\")
    set(target \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
    file(MAKE_DIRECTORY \"\${target}\")
    file(WRITE \"\${target}/velmora.desktop\" \"\${entry}\")
    message(STATUS \"Installing: \${target}/velmora.desktop\")
")

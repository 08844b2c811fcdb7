# What `cmake --install` puts under the prefix: the two programs, their desktop entries,
# the icon at the hicolor sizes and the AppStream metainfo.
include(GNUInstallDirs)

if(TARGET TideLog)
    install(TARGETS TideLog RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/org.tidemark.TideLog.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/org.tidemark.TideLog.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
if(TARGET flotsam)
    install(TARGETS flotsam RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/org.tidemark.flotsam.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()
if(TARGET TideLog OR TARGET flotsam)
    set(icons ${CMAKE_SOURCE_DIR}/resources/icons)
    install(FILES ${icons}/org.tidemark.TideLog.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size IN ITEMS 16 22 24 32 48 64 128 256)
        install(FILES ${icons}/hicolor/${size}x${size}/apps/org.tidemark.TideLog.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
endif()

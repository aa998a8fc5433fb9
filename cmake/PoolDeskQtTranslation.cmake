# Qt's own Simplified Chinese translation (qtbase_zh_CN.qm) for the Windows build: the client
# looks for it in translations/ beside its executable, so it is copied there for the built
# client and for the window tests. On Linux the client reads it from Qt's translations folder.
# The Windows Qt here is the same 6.4.2 release as the build machine's, whose file (Debian
# qt6-translations-l10n) is used.
if(NOT WIN32)
  function(pooldesk_copy_qt_translation target)
  endfunction()
  return()
endif()

find_file(POOLDESK_QT_ZH_CN_QM qtbase_zh_CN.qm
          PATHS ${QT_HOST_PATH}/share/qt6/translations ${QT6_INSTALL_PREFIX}/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT POOLDESK_QT_ZH_CN_QM)
  message(WARNING "qtbase_zh_CN.qm not found (Debian package qt6-translations-l10n): Qt's "
                  "buttons and dialogs stay English in the Windows build")
endif()

# Copies the file into translations/ beside the target's executable after each build.
function(pooldesk_copy_qt_translation target)
  if(NOT POOLDESK_QT_ZH_CN_QM)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:${target}>/translations
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${POOLDESK_QT_ZH_CN_QM}
            $<TARGET_FILE_DIR:${target}>/translations/
    VERBATIM)
endfunction()

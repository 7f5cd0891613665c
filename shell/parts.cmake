# The application shell (app/: start-up, frames, the main window,
# commands, the tree and the shell's services), the version check
# (version/), the splash display (splash/) and the debug window (debug/):
# the library shellparts, whose window-free rules (rules/ and *_logic.cpp:
# the command line, the configuration path, searches, tiling, the context
# menu's order, the tree's texts, the file viewer's checks, version page,
# HTTP response, splash templates and placement, debug texts) form
# shellparts_logic, built in both configurations.  The native build has
# no windows: its shellparts is the halves that answer without them
# (*_posix.cpp) and the binding of the libraries (app/wirelibs.cpp).
set(parts ${CMAKE_CURRENT_SOURCE_DIR})
file(GLOB shellparts_logic_sources CONFIGURE_DEPENDS
     ${parts}/version/*_logic.cpp ${parts}/splash/*_logic.cpp ${parts}/debug/*_logic.cpp
     ${parts}/rules/*.cpp)
add_library(shellparts_logic STATIC ${shellparts_logic_sources})
target_include_directories(shellparts_logic PUBLIC ${parts} ${parts}/version ${parts}/splash
                           ${parts}/debug ${parts}/rules)
target_link_libraries(shellparts_logic PUBLIC config locations toolkit_logic common)

if(RAVOLT_WINDOWS)
  file(GLOB shellparts_sources CONFIGURE_DEPENDS ${parts}/version/*.cpp ${parts}/splash/*.cpp
       ${parts}/debug/*.cpp ${parts}/app/*.cpp)
  list(FILTER shellparts_sources EXCLUDE REGEX "(_logic|_posix)\\.cpp$")
  add_library(shellparts STATIC ${shellparts_sources})
  target_include_directories(shellparts PUBLIC ${parts}/app)
  target_link_libraries(shellparts PUBLIC shellparts_logic dialogs_win locdialogs prefs locimport
                        dlgexport transfer_dialogs message_pane toolkit message mqengine locations config common ws2_32 ole32
                        oleaut32 uuid shell32 comctl32 comdlg32)
else()
  file(GLOB shellparts_sources CONFIGURE_DEPENDS ${parts}/version/*_posix.cpp
       ${parts}/splash/*_posix.cpp ${parts}/debug/*_posix.cpp)
  add_library(shellparts STATIC ${shellparts_sources} ${parts}/app/wirelibs.cpp)
  target_include_directories(shellparts PUBLIC ${parts}/app)
  target_link_libraries(shellparts PUBLIC shellparts_logic locimport dlgexport transfer message_editor
                        mqengine filters config)
endif()

# The version check (version/), the splash display (splash/) and the
# debug window (debug/): the library shellparts, whose window-free rules
# (*_logic.cpp: version page, HTTP response, splash templates and
# placement, debug texts) form shellparts_logic, built in both
# configurations.  standin/ stands in for what they need of the shell
# until it exists.  The MQ engine calls the version check's follow-up and
# the debug dump, and shellparts posts the engine's thread requests: the
# two libraries link each other.  The native build has no windows: its
# shellparts is the halves that answer without them (*_posix.cpp).
set(parts ${CMAKE_CURRENT_SOURCE_DIR})
file(GLOB shellparts_logic_sources CONFIGURE_DEPENDS
     ${parts}/version/*_logic.cpp ${parts}/splash/*_logic.cpp ${parts}/debug/*_logic.cpp)
add_library(shellparts_logic STATIC ${shellparts_logic_sources} ${parts}/standin/verinfo_standin.cpp)
target_include_directories(shellparts_logic PUBLIC ${parts} ${parts}/version ${parts}/splash
                           ${parts}/debug ${parts}/standin)
target_link_libraries(shellparts_logic PUBLIC config toolkit_logic common)

if(RAVOLT_WINDOWS)
  file(GLOB shellparts_sources CONFIGURE_DEPENDS ${parts}/version/*.cpp ${parts}/splash/*.cpp
       ${parts}/debug/*.cpp ${parts}/standin/*.cpp)
  list(FILTER shellparts_sources EXCLUDE REGEX "(_logic|_posix|verinfo_standin)\\.cpp$")
  add_library(shellparts STATIC ${shellparts_sources})
  target_link_libraries(shellparts PUBLIC shellparts_logic toolkit message mq locations config
                        common ws2_32 ole32 oleaut32 uuid shell32)
else()
  file(GLOB shellparts_sources CONFIGURE_DEPENDS ${parts}/version/*_posix.cpp
       ${parts}/splash/*_posix.cpp ${parts}/debug/*_posix.cpp)
  add_library(shellparts STATIC ${shellparts_sources})
  target_link_libraries(shellparts PUBLIC shellparts_logic)
endif()

# Windows programs of the stand-in (included from standin/CMakeLists.txt when WIN32).
add_executable(actstandin WIN32 win32/actstandin_main.cpp win32/com_server.cpp
               win32/record_window.cpp win32/control.cpp)
target_link_libraries(actstandin PRIVATE standin_core ole32 oleaut32 uuid comctl32 comdlg32)
tamber_warnings(actstandin)

add_executable(actctl win32/actctl.cpp)
target_link_libraries(actctl PRIVATE ole32 oleaut32 uuid)
target_include_directories(actctl PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
tamber_warnings(actctl)

add_executable(standin_probe WIN32 win32/probe_main.cpp)
tamber_warnings(standin_probe)

tamber_wine_test(standin_wine_test SOURCES win32/standin_wine_test.cpp
                 DEPS tamber_actdb tamber_dbf ole32 oleaut32 uuid shell32 SERIAL)
if(TARGET standin_wine_test)
  add_dependencies(standin_wine_test actstandin actctl standin_probe)
endif()
if(TARGET standin_wine_test)
  target_include_directories(standin_wine_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
endif()

# What the Wine end-to-end tests share: programs run to their end, actctl, settings, windows of
# another process (see cmake/Tamber.cmake tamber_e2e_test).
add_library(standin_test_session STATIC win32/test_session.cpp)
target_include_directories(standin_test_session PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/win32)
target_compile_definitions(standin_test_session PRIVATE ACTCTL_EXE="$<TARGET_FILE:actctl>"
                           STANDIN_EXE="$<TARGET_FILE:actstandin>")
target_link_libraries(standin_test_session PUBLIC advapi32)
tamber_warnings(standin_test_session)

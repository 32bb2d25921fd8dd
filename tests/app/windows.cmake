# Windows tests of the window layer and the start-up platform, under wine in a
# virtual X display. They carry the skin-engine library as the program does.
set(app_binary "${PROJECT_BINARY_DIR}/app")
mirevo_add_tests(app_win_tests
  win/startup_win_test.cpp
  win/window_test.cpp
  "${PROJECT_SOURCE_DIR}/app/resources/payload.rc"
)
target_include_directories(app_win_tests PRIVATE
  "${PROJECT_SOURCE_DIR}/app/resources" "${app_binary}/skin_engine" "${CMAKE_CURRENT_SOURCE_DIR}")
target_link_libraries(app_win_tests PRIVATE mirevo_app_windows)
add_dependencies(app_win_tests mirevo_skin_engine)

# The driver of the real program: one test run that starts mirevo.exe several
# times. Screenshots land in the build tree.
add_executable(app_gui_driver win/gui_driver.cpp)
target_link_libraries(app_gui_driver PRIVATE gtest_main mirevo_warnings psapi version)
target_include_directories(app_gui_driver PRIVATE "${PROJECT_SOURCE_DIR}")
add_dependencies(app_gui_driver mirevo)

function(mirevo_windows_path out unix_path)
  string(REPLACE "/" "\\" path "${unix_path}")
  set(${out} "Z:${path}" PARENT_SCOPE)
endfunction()
set(app_screenshots "${PROJECT_BINARY_DIR}/screenshots/app")
mirevo_windows_path(driver_program "${app_binary}/mirevo.exe")
mirevo_windows_path(driver_engine "${app_binary}/skin_engine/Qor_SkinH_EL.dll")
mirevo_windows_path(driver_screenshots "${app_screenshots}")
mirevo_windows_path(driver_scratch "${CMAKE_CURRENT_BINARY_DIR}/gui_scratch")
add_test(NAME app_gui_driver
  COMMAND "${CMAKE_CURRENT_SOURCE_DIR}/gui_driver.sh" "${PROJECT_BINARY_DIR}/wine"
          "$<TARGET_FILE:app_gui_driver>" "${app_screenshots}")
# It runs alone, so that no other window spoils its screenshots.
set_tests_properties(app_gui_driver PROPERTIES RUN_SERIAL TRUE TIMEOUT 300 ENVIRONMENT
  "MIREVO_PROGRAM=${driver_program};MIREVO_SKIN_ENGINE=${driver_engine};MIREVO_SCREENSHOTS=${driver_screenshots};MIREVO_SCRATCH=${driver_scratch}")

# The Windows side: the skin-engine substitute, the window layer and the program.

# The skin engine is a library of its own, built first and then carried by the
# program as a resource.
set(MIREVO_SKIN_ENGINE_DIR "${CMAKE_CURRENT_BINARY_DIR}/skin_engine")
add_library(mirevo_skin_engine SHARED skin_engine/skin_engine.cpp skin_engine/skin_engine.def)
set_target_properties(mirevo_skin_engine PROPERTIES
  PREFIX "" OUTPUT_NAME Qor_SkinH_EL
  RUNTIME_OUTPUT_DIRECTORY "${MIREVO_SKIN_ENGINE_DIR}")
target_link_libraries(mirevo_skin_engine PRIVATE mirevo_warnings)
set(MIREVO_SKIN_ENGINE_FILE "${MIREVO_SKIN_ENGINE_DIR}/Qor_SkinH_EL.dll")

# The window layer and the Windows start-up platform, shared by the program and its tests.
add_library(mirevo_app_windows STATIC
  main_window_win.cpp
  parse_platform_win.cpp
  payload_win.cpp
  skin_loader_win.cpp
  startup_platform_win.cpp
)
target_link_libraries(mirevo_app_windows
  PUBLIC mirevo_app_core mirevo_download mirevo_net comctl32 shell32 ole32 gdi32 user32
  PRIVATE mirevo_warnings)

# The icon is drawn at build time by a committed script.
set(MIREVO_ICON_DIR "${CMAKE_CURRENT_BINARY_DIR}/icon")
add_custom_command(
  OUTPUT "${MIREVO_ICON_DIR}/mirevo.ico"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${MIREVO_ICON_DIR}"
  COMMAND python3 "${CMAKE_CURRENT_SOURCE_DIR}/resources/make_icon.py" "${MIREVO_ICON_DIR}/mirevo.ico"
  DEPENDS resources/make_icon.py
  COMMENT "Drawing the application icon")

set_source_files_properties(resources/payload.rc resources/mirevo.rc PROPERTIES
  OBJECT_DEPENDS "${MIREVO_SKIN_ENGINE_FILE};${MIREVO_ICON_DIR}/mirevo.ico;${CMAKE_CURRENT_SOURCE_DIR}/resources/mirevo.manifest")

# Resource scripts find their files through the include path.
add_executable(mirevo WIN32 main_win.cpp resources/mirevo.rc "${MIREVO_ICON_DIR}/mirevo.ico")
target_include_directories(mirevo PRIVATE
  "${CMAKE_CURRENT_SOURCE_DIR}/resources" "${MIREVO_ICON_DIR}" "${MIREVO_SKIN_ENGINE_DIR}")
target_link_options(mirevo PRIVATE -municode)
target_link_libraries(mirevo PRIVATE mirevo_app_windows mirevo_warnings)
add_dependencies(mirevo mirevo_skin_engine)

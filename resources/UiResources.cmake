# The installer dialog's resources (ui.rc), compiled into the installer. Icons
# and the manifest are generated: the icons by make_icons.py, the manifest with
# the target's processor architecture (a wrong one stops the program starting).
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(ui_resources_dir ${CMAKE_BINARY_DIR}/resources/ui)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VELANTRIX_MANIFEST_ARCH amd64)
else()
  set(VELANTRIX_MANIFEST_ARCH x86)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/Installer.manifest.in ${ui_resources_dir}/Installer.manifest @ONLY)

set(ui_icons ${ui_resources_dir}/installer.ico ${ui_resources_dir}/large.ico ${ui_resources_dir}/small.ico)
add_custom_command(
  OUTPUT ${ui_icons}
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/make_icons.py ${ui_resources_dir}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make_icons.py
  COMMENT "Drawing the installer icons"
  VERBATIM)
add_custom_target(ui_icons DEPENDS ${ui_icons})

set(ui_rc ${CMAKE_CURRENT_LIST_DIR}/ui.rc)
set_source_files_properties(${ui_rc} PROPERTIES OBJECT_DEPENDS
  "${ui_icons};${ui_resources_dir}/Installer.manifest;${CMAKE_CURRENT_LIST_DIR}/license.rtf;${CMAKE_CURRENT_LIST_DIR}/package-contents.rtf;${CMAKE_SOURCE_DIR}/ui/InstallerDialogIds.h")
target_sources(VelantrixInstaller PRIVATE ${ui_rc})
add_dependencies(VelantrixInstaller ui_icons)
target_include_directories(VelantrixInstaller PRIVATE ${ui_resources_dir} ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR})

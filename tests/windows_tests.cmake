# The Windows test binary: the platform-contract suite against the real API,
# and the tests of the layers that run the same on either platform. make
# test-windows runs it under Wine.
add_library(cds_test_support STATIC support/audio_fixture.cpp support/scoped_temp_dir.cpp)
target_include_directories(cds_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(cds_test_support PUBLIC cds_platform PkgConfig::VORBISFILE GTest::gtest)

# Every header of ours but the POSIX and Qt ones, for the check beside <windows.h>.
set(src_root ${PROJECT_SOURCE_DIR}/src)
file(GLOB_RECURSE our_headers RELATIVE ${src_root} CONFIGURE_DEPENDS ${src_root}/*.h)
list(FILTER our_headers EXCLUDE REGEX "^(platform/prefix|ui/qt)/")
set(headers "")
foreach(h IN LISTS our_headers)
  string(APPEND headers "#include \"${h}\"\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/generated/windows_headers.inc
     CONTENT "${headers}")

add_executable(cdsetup_tests
  base/windows_headers_test.cpp
  app/program_console_test.cpp
  app/program_resources_test.cpp
  audio/audio_tone_test.cpp
  audio/sample_conversion_test.cpp
  audio/speex_comments_test.cpp
  audio/speex_header_step_test.cpp
  check/report_test.cpp
  check/scratch_dir_test.cpp
  copy/audio_sound_converter_test.cpp
  copy/sound_archive_reader_test.cpp
  framework/dialog_test.cpp
  platform/platform_contract_test.cpp
  platform/profile_file_test.cpp
  resources/bmp_decoder_test.cpp
  resources/dialog_templates_test.cpp
  resources/icons_test.cpp
  ui/win32/win32_backend_test.cpp
  ui/win32/win32_install_test.cpp
  support/win32_driver.cpp
)
target_link_libraries(cdsetup_tests PRIVATE cds_check cds_app cds_demo_medium cds_pages
                      cds_copy_page cds_copy cds_audio cds_encoder_kit cds_sndpack cds_bmp_kit
                      cds_console cds_win32 cds_framework cds_script cds_resources cds_platform
                      cds_test_support GTest::gtest_main)
target_compile_definitions(cdsetup_tests PRIVATE CDSETUP_WITH_QT=0
                           CDSETUP_VERSION_WIDE=L"${PROJECT_VERSION}")
target_link_libraries(cdsetup_tests PRIVATE version)
add_dependencies(cdsetup_tests cdsetup)
# The dialogs under test run with the installer's manifest: themed controls
# and DPI awareness, as the player sees them.
cdsetup_windows_resources(cdsetup_tests cdsetup_tests "cdsetup tests" asInvoker)
target_include_directories(cdsetup_tests PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)

# Reads links back through the shell, for the end-to-end comparison.
add_executable(link_fields support/link_fields_main.cpp)
target_link_libraries(link_fields PRIVATE cds_platform)

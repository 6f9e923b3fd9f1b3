# Included by the tree that tests the saver as a whole (it has the
# end-to-end configuration these reuse).
morvelux_require_python()
set(installer_tests ${CMAKE_CURRENT_LIST_DIR})
# The x64 setup program (and the packages) under Wine, on a private Xvfb with a fresh prefix of
# its own: installing into the system folder must not reach the prefix the
# end-to-end tests share. installer.setup packs the signed release the tests
# install; the desktop menus Wine would make for its shortcuts stay in the run
# directory.
set(installer_dir ${CMAKE_BINARY_DIR}/installer-e2e)
set(installer_env "MORVELUX_E2E_DIR=${installer_dir}" "MORVELUX_E2E_CONFIG=${CMAKE_BINARY_DIR}/e2e/config.json"
    "XDG_DATA_HOME=${installer_dir}/xdg/data" "XDG_CONFIG_HOME=${installer_dir}/xdg/config")
# file_holder keeps Morvelux.scr open as the Screen Saver settings do for their preview.
add_executable(file_holder ${installer_tests}/file_holder.cpp)
morvelux_warnings(file_holder)
# command_witness stands in for the Control Panel the finish page opens.
add_executable(command_witness ${installer_tests}/command_witness.cpp)
morvelux_warnings(command_witness)
add_test(NAME installer.setup COMMAND ${MORVELUX_PYTHON3} ${installer_tests}/installer_fixture.py setup
                                      --version ${PROJECT_VERSION} --holder $<TARGET_FILE:file_holder>
                                      --witness $<TARGET_FILE:command_witness>)
add_test(NAME installer.cleanup COMMAND ${MORVELUX_PYTHON3} ${installer_tests}/installer_fixture.py cleanup)
set_tests_properties(installer.setup PROPERTIES FIXTURES_SETUP morvelux_installer TIMEOUT 300 LABELS installer
                     ENVIRONMENT "${installer_env}")
set_tests_properties(installer.cleanup PROPERTIES FIXTURES_CLEANUP morvelux_installer TIMEOUT 60 LABELS installer
                     ENVIRONMENT "${installer_env}")

# morvelux_installer_test(NAME CASE [SCRIPT]): CTest test installer.NAME runs CASE
# (Class.test_method) of SCRIPT (test_installer.py), one at a time in the run's prefix.
function(morvelux_installer_test name case)
  set(script test_installer.py ${ARGN})
  list(GET script -1 script)
  add_test(NAME installer.${name} COMMAND ${MORVELUX_PYTHON3} ${installer_tests}/${script} ${case})
  set_tests_properties(installer.${name} PROPERTIES FIXTURES_REQUIRED morvelux_installer
                       RESOURCE_LOCK morvelux_installer_wine TIMEOUT 90 LABELS installer
                       ENVIRONMENT "${installer_env}")
endfunction()

morvelux_installer_test(silent_install SilentInstall.test_puts_the_saver_in_the_system_folder_registers_it_and_makes_it_current)
morvelux_installer_test(signed_files SilentInstall.test_installed_programs_carry_the_release_signature)
morvelux_installer_test(option_unticked SilentInstall.test_option_left_unticked_keeps_the_current_saver)
morvelux_installer_test(finish_page FinishPage.test_offers_the_settings_ticked_and_the_preview_unticked_and_runs_what_is_ticked)
morvelux_installer_test(saver_full_screen InstalledSaver.test_full_screen_shows_the_moire_and_ends_on_esc)
morvelux_installer_test(saver_about InstalledSaver.test_configure_shows_the_about_box)
morvelux_installer_test(upgrade Upgrade.test_newer_setup_replaces_the_older_in_place)
morvelux_installer_test(upgrade_keeps_users_saver Upgrade.test_keeps_the_saver_the_user_chose_since)
morvelux_installer_test(upgrade_keeps_savers_off Upgrade.test_keeps_morvelux_current_and_savers_off)
morvelux_installer_test(in_use_upgrade FileInUse.test_upgrade_changes_nothing_and_says_so)
morvelux_installer_test(in_use_upgrade_message FileInUse.test_interactive_upgrade_asks_to_close_the_settings)
morvelux_installer_test(in_use_uninstall FileInUse.test_uninstall_removes_it_at_restart_and_keeps_the_entry_until_then)
morvelux_installer_test(in_use_reinstall FileInUse.test_install_before_the_restart_keeps_the_new_file)
morvelux_installer_test(uninstall SilentUninstall.test_removes_everything_and_forgets_our_saver_but_not_the_timeout)
morvelux_installer_test(uninstall_keeps_users_saver SilentUninstall.test_leaves_a_saver_the_user_chose_since)
morvelux_installer_test(read_only_silent SystemFolderReadOnly.test_silent_install_ends_with_access_denied_and_writes_nothing)
morvelux_installer_test(read_only_message SystemFolderReadOnly.test_interactive_install_says_why_and_what_to_do)
morvelux_installer_test(read_only_uninstall SystemFolderReadOnly.test_uninstall_changes_nothing)

# The Windows Installer packages, under Wine's msiexec.
morvelux_installer_test(msi_quiet QuietPackage.test_installs_and_removes_leaving_users_settings test_msi.py)
morvelux_installer_test(msi_x86 QuietPackage.test_x86_lands_in_the_32_bit_system_folder test_msi.py)
morvelux_installer_test(msi_upgrade QuietPackage.test_newer_replaces_older_and_older_is_refused test_msi.py)
morvelux_installer_test(msi_over_setup PackageBesideSetup.test_package_refuses_the_setup_programs_install test_msi.py)
morvelux_installer_test(setup_over_msi PackageBesideSetup.test_setup_program_refuses_the_packages_install test_msi.py)

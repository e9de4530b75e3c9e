# Run by CPack before it installs the project into its staging folder. That
# installation rewrites the build folder's install_manifest.txt with the
# package's paths, which would make `xargs rm < build/install_manifest.txt`
# remove the files of an installed package instead of the user's own
# installation; this keeps a copy (or notes that there was none) for
# RestoreInstallManifest.cmake, run once the staging folder is complete.
set(saved "${CPACK_TOPLEVEL_DIRECTORY}/install_manifest.txt.saved")
if(EXISTS "${CPACK_CADRELLE_INSTALL_MANIFEST}")
    file(COPY_FILE "${CPACK_CADRELLE_INSTALL_MANIFEST}" "${saved}")
else()
    file(REMOVE "${saved}")
endif()

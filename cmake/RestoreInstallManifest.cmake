# Puts back the build folder's install_manifest.txt as it was before CPack's
# own installation (see SaveInstallManifest.cmake).
set(saved "${CPACK_TOPLEVEL_DIRECTORY}/install_manifest.txt.saved")
if(EXISTS "${saved}")
    file(RENAME "${saved}" "${CPACK_CADRELLE_INSTALL_MANIFEST}")
else()
    file(REMOVE "${CPACK_CADRELLE_INSTALL_MANIFEST}")
endif()

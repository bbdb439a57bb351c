# The Windows zip: `cpack -G ZIP` in a Windows build folder makes
# vexelmoor-<version>-win64.zip, a folder a player unpacks and double-clicks
# the game in: the program (linked statically: no DLLs), its two images beside
# it, the README and the licence.
install(TARGETS vexelmoor RUNTIME DESTINATION .)
install(FILES ${VEX_GAME_DIR}/texture.png ${VEX_GAME_DIR}/fonta.png DESTINATION .)
install(FILES README.md LICENSE DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vexelmoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME vexelmoor-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES ON)
include(CPack)

# The Windows resources of Vandoret.exe: the program icon and the version Explorer shows.
# Configures Vandoret.rc into the build folder and makes it the object library vandoret_winres,
# which the program links (src/ui) and the MinGW cross build compiles with windres even without
# the Qt program.
enable_language(RC)
set(VANDORET_ICO ${PROJECT_SOURCE_DIR}/resources/windows/vandoret.ico)
configure_file(${PROJECT_SOURCE_DIR}/resources/windows/Vandoret.rc.in ${PROJECT_BINARY_DIR}/Vandoret.rc @ONLY)
add_library(vandoret_winres OBJECT ${PROJECT_BINARY_DIR}/Vandoret.rc)

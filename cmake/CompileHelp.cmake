# Compiles the HTML help pages into Vandoret.chm with HTML Help Workshop (cmake -P, Windows only).
# -DHHC=hhc.exe -DSOURCE=resources/help -DSTAGE=<scratch folder> -DOUTPUT=<...>/Vandoret.chm
file(REMOVE_RECURSE "${STAGE}")
file(GLOB pages "${SOURCE}/*.html")
file(COPY ${pages} "${SOURCE}/Vandoret.hhp" "${SOURCE}/Vandoret.hhc" DESTINATION "${STAGE}")
# hhc.exe answers 1 when it succeeded and 0 when it failed: judge by the file it writes.
execute_process(COMMAND "${HHC}" Vandoret.hhp WORKING_DIRECTORY "${STAGE}" OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT EXISTS "${STAGE}/Vandoret.chm")
  message(FATAL_ERROR "hhc.exe wrote no Vandoret.chm:\n${log}")
endif()
file(COPY_FILE "${STAGE}/Vandoret.chm" "${OUTPUT}")

# Copies the shipped data beside the program:
#   cmake -DSOURCE=<data folder> -DDEST=<program folder> -P CopyData.cmake
# The settings files the program writes itself hold the user's choices: they
# are copied only where the program folder has none yet, so a rebuild keeps
# them. Everything else is brought up to date (unchanged files are skipped).
if(NOT SOURCE OR NOT DEST)
  message(FATAL_ERROR "CopyData.cmake needs SOURCE and DEST")
endif()
set(kept LastConfig.xml LastStringConfig.xml LastStringBackup.xml)
set(excludes)
foreach(name ${kept})
  list(APPEND excludes REGEX "^${SOURCE}/${name}$" EXCLUDE)
endforeach()
file(COPY ${SOURCE}/ DESTINATION ${DEST} ${excludes})
foreach(name ${kept})
  if(EXISTS ${SOURCE}/${name} AND NOT EXISTS ${DEST}/${name})
    file(COPY ${SOURCE}/${name} DESTINATION ${DEST})
  endif()
endforeach()

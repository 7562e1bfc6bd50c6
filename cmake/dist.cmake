# Packs the files git tracks, as last committed (HEAD), into the source tarball, and
# writes its SHA256 checksum beside it. Stops when tracked files have changes that are
# not committed, which the tarball would leave out.
#   cmake -DGIT=git -DSOURCE=dir -DPREFIX=torvane-VERSION -DTARBALL=path.tar.gz -P dist.cmake
execute_process(COMMAND "${GIT}" -C "${SOURCE}" status --porcelain --untracked-files=no
                OUTPUT_VARIABLE changed RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "git cannot read the state of ${SOURCE}")
endif()
if(NOT changed STREQUAL "")
  message(FATAL_ERROR "The source tarball is made from the last commit, but these tracked "
                      "files have changes that are not committed:\n${changed}"
                      "Commit them, or stash them, and make the tarball again.")
endif()
execute_process(COMMAND "${GIT}" -C "${SOURCE}" archive --format=tar.gz --prefix=${PREFIX}/
                        -o "${TARBALL}" HEAD
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "git archive failed")
endif()
file(SHA256 "${TARBALL}" sum)
get_filename_component(name "${TARBALL}" NAME)
file(WRITE "${TARBALL}.sha256" "${sum}  ${name}\n")

# Renders the manual page as plain text with CR LF line ends, for readers on Windows.
#   cmake -DGROFF=... -DPAGE=torvane.1 -DTEXT=torvane.txt -P render_manual.cmake
execute_process(COMMAND "${GROFF}" -man -Tascii -P-cbou "${PAGE}"
                OUTPUT_VARIABLE text RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "groff could not render ${PAGE}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${TEXT}" "${text}")

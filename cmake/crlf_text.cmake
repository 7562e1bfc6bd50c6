# Copies a text file with CR LF line ends, for readers on Windows.
#   cmake -DIN=README.md -DOUT=README.txt -P crlf_text.cmake
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")

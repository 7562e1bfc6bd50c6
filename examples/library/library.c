/* Counts the words of a text and prints them with the library's printf.
   Small memory model. The library that SDCC ships is built without --debug: its
   functions have no records, so their addresses come from the linker map; the
   headers declare many more functions than are linked, and those have none. A bit
   global and a bit local, whose addresses come from the relocated listing; a
   string literal, a file static, a local held in registers. */
#include <stdio.h>
#include <string.h>
#include <ctype.h>
#include <stdlib.h>
#include <errno.h>

__bit ready;
char buffer[24];
static unsigned char count;
int result;

int putchar(int c) {
  return c;
}

static unsigned char words(const char *text) {
  unsigned char n = 0;
  __bit inWord = 0;
  for (; *text; ++text) {
    if (isspace((unsigned char)*text)) {
      inWord = 0;
    } else if (!inWord) {
      inWord = 1;
      ++n;
    }
  }
  return n;
}

void main(void) {
  strcpy(buffer, "count ");
  strcat(buffer, "the words");
  count = words(buffer);
  result = atoi("42") + count;
  if (errno) ready = 1;
  printf_small("%d words\n", count);
  printf("%s: %d\n", buffer, result);
  for (;;) {
  }
}

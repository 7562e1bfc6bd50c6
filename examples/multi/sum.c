/* Checksums for the messages the program sends. */
#include "config.h"

static unsigned int clamp(unsigned int v) { return v & 0x7FFF; }

unsigned int checksum(const char *text)
{
    unsigned int s = settings.parity;
    while (*text)
        s = (s << 1) + *text++;
    return clamp(s);
}

/* The main module of a three-module program (--model-large): globals default
   to external RAM, and each module has a static helper named clamp. */
#include "config.h"

struct config settings = { 9600, 0 };
unsigned int sent;

static unsigned int clamp(unsigned int v) { return v > 1000 ? 1000 : v; }

void main(void)
{
    unsigned int sum;
    uart_init(&settings);
    uart_send("hello");
    sum = clamp(checksum("hello"));
    sent += sum;
}

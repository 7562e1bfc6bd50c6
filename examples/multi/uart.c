/* Serial output over the 8051 UART. */
#include <8051.h>
#include "config.h"

static unsigned char clamp(unsigned char v) { return v > 127 ? 127 : v; }

void uart_init(const struct config *c)
{
    SCON = 0x50;
    TMOD |= 0x20;
    TH1 = c->baud == 9600 ? 0xFD : 0xFA;
    TR1 = 1;
}

void uart_send(const char *text)
{
    while (*text) {
        SBUF = clamp(*text++);
        while (!TI)
            ;
        TI = 0;
        sent++;
    }
}

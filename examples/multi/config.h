/* Shared by the modules of the multi-module example. */
#ifndef CONFIG_H
#define CONFIG_H

struct config {
    unsigned int baud;
    unsigned char parity;
};

extern struct config settings;
extern unsigned int sent;

void uart_init(const struct config *c);
void uart_send(const char *text);
unsigned int checksum(const char *text);

#endif

/* --model-medium: globals default to paged external RAM (__pdata), reached
   through one page register. A ring buffer and a checksum over it. */
#include <stdbool.h>

#define SIZE 16

unsigned char ring[SIZE];
unsigned char head;
unsigned char tail;
__data unsigned char fast_count;
__xdata unsigned int checksum;
bool full;

static void put(unsigned char c)
{
    unsigned char next = (head + 1) & (SIZE - 1);
    if (next == tail) {
        full = true;
        return;
    }
    ring[head] = c;
    head = next;
    fast_count++;
}

unsigned int sum(void)
{
    unsigned int s = 0;
    unsigned char i = tail;
    while (i != head) {
        s += ring[i];
        i = (i + 1) & (SIZE - 1);
    }
    return s;
}

void main(void)
{
    unsigned char c;
    for (c = 'A'; c < 'A' + 12; c++)
        put(c);
    checksum = sum();
}

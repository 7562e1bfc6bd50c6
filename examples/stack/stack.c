/* Recursion and reentrant arithmetic compiled with --stack-auto, so that
   parameters and locals live on the stack, addressed from the frame pointer bp.
   The library module _bp.c, compiled with --debug, declares bp. */
#include <stdbool.h>

unsigned long results[6];
bool overflow;

unsigned long factorial(unsigned char n)
{
    if (n < 2)
        return 1;
    return n * factorial(n - 1);
}

int mix(int a, int b, int c)
{
    int sum = a + b;
    int product = sum * c;
    return product - a;
}

void main(void)
{
    unsigned char i;
    for (i = 0; i < 6; i++)
        results[i] = factorial(i);
    overflow = mix(results[5], 3, 4) < 0;
}

/* Bit variables of every kind in one module: two globals, a file static, and the bit
   locals of a function that is not reentrant, which live in bit space too. The
   second module, flags.c, has three more globals and a bit temporary. */
#include <8051.h>

__bit ready;
__bit overflow;
static __bit toggled;

extern __bit flags_a;
extern void flags_update(unsigned char level);
extern void check_level(int level);

unsigned char count;
volatile unsigned char ticks;

/* An interrupt handler restores what it saved before it returns: its closing line is
   defined twice in the listing, at two addresses, of which the CDB file has the last. */
void timer0_isr(void) __interrupt(1)
{
	ticks++;
	overflow = ticks == 0;
}

static unsigned char check(unsigned char x)
{
	__bit low = x < 10;
	__bit high = x > 200;
	if (low || high)
		return 1;
	return 0;
}

void main(void)
{
	for (;;) {
		count++;
		ready = count & 1;
		overflow = count == 0;
		toggled = !toggled;
		P1_0 = toggled;
		if (check(count))
			flags_update(count);
		if (flags_a)
			P1_1 = 1;
		check_level(count);
	}
}

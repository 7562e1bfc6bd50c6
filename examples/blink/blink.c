/* Blinks the LED on P1.0 from the timer 0 interrupt and counts the blinks.
   Small memory model: globals in internal RAM, special function registers,
   bit variables, a file-static counter and helper, a bool flag and a small
   schedule structure with bit-fields. */
#include <8051.h>
#include <stdbool.h>

#define LED P1_0

struct schedule {
    unsigned char on_ticks;
    unsigned char off_ticks;
    unsigned mode : 2;
    unsigned repeat : 4;
    bool enabled : 1;
};

struct schedule pattern = { 3, 7, 1, 5, true };
volatile unsigned int ticks;
volatile bool tick_flag;
__bit led_state;
static unsigned char phase;

static unsigned char next_phase(unsigned char p, unsigned char limit)
{
    unsigned char n = p + 1;
    return n >= limit ? 0 : n;
}

void timer0_isr(void) __interrupt(1)
{
    TH0 = 0x3C;
    TL0 = 0xB0;
    ticks++;
    tick_flag = true;
}

bool due(const struct schedule *s)
{
    unsigned char limit = led_state ? s->on_ticks : s->off_ticks;
    phase = next_phase(phase, limit);
    return phase == 0 && s->enabled;
}

void main(void)
{
    unsigned int blinks = 0;
    TMOD = 0x01;
    TH0 = 0x3C;
    TL0 = 0xB0;
    ET0 = 1;
    EA = 1;
    TR0 = 1;
    for (;;) {
        if (!tick_flag)
            continue;
        tick_flag = false;
        if (due(&pattern)) {
            led_state = !led_state;
            LED = led_state;
            blinks++;
        }
    }
}

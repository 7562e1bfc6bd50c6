/* Three bit globals, and a check that counts and reports as a test framework's
   assertion does: the compiler keeps the outcome of its comparison in a bit
   temporary. */
__bit flags_a;
__bit flags_b;
__bit flags_c;

void report(unsigned char line);
unsigned int checks;

void flags_update(unsigned char level)
{
	flags_a = level > 100;
	flags_b = !flags_a;
	flags_c = flags_a ^ flags_b;
}

void check_level(int level)
{
	(++checks, (level != -1) ? (void)0 : report(__LINE__));
}

void report(unsigned char line)
{
	flags_c = line & 1;
}

/* Built like the deliverable, but with one conditional move, an instruction no
   processor before the Pentium Pro has. */
void Entry(void) { __asm__("cmovz %eax, %eax"); }

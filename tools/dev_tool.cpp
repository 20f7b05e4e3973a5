#include <cstdio>
int main() { std::fputs("usage: quorvel-dev COMMAND ...\n", stderr); return 2; }

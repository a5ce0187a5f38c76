#include <cstdio>
int main() { std::puts("halberd"); }

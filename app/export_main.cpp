// Headless script exporter (argument handling only; the work is the model's).
#include <cstdio>

int main()
{
    std::fputs("npc-export: not built yet\n", stderr);
    return 1;
}

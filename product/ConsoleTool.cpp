// Stand-in for the client's command-line tools; TOOL_NAME and TOOL_PURPOSE say
// which one.
#include <cstdio>

int main(int argc, char**)
{
    std::printf("Korvane Velantrix 4.10 %s - %s\n", TOOL_NAME, TOOL_PURPOSE);
    if (argc < 2)
        std::printf("usage: %s [options] ...\n", TOOL_NAME);
    return 0;
}

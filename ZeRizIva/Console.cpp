#include "Console.h"

#include <cstdio>
#include <string>

#include "Codepage.h"

static void Put(std::FILE* stream, std::string_view ansiText, bool lineEnd)
{
    std::string text = AnsiToConsole(ansiText);
    if (lineEnd)
        text += '\n';
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

void WriteLine(std::string_view ansiText) { Put(stdout, ansiText, true); }
void WriteErrorLine(std::string_view ansiText) { Put(stderr, ansiText, true); }
void WriteText(std::string_view ansiText) { Put(stdout, ansiText, false); }

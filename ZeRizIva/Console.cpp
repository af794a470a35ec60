#include "Console.h"

#include <cstdio>
#include <string>

#include "Codepage.h"

static LineSink lineSink = nullptr;

void SetLineSink(LineSink sink) { lineSink = sink; }

void WriteLogLine(std::string_view ansiText)
{
    if (lineSink)
        lineSink(ansiText);
}

static void Log(std::string_view ansiText, bool lineEnd)
{
    if (!lineSink)
        return;
    if (lineEnd) {
        lineSink(ansiText);
        return;
    }
    // Text without an added line end (the usage text) goes line by line.
    for (size_t end; (end = ansiText.find('\n')) != std::string_view::npos; ansiText.remove_prefix(end + 1))
        lineSink(ansiText.substr(0, end));
}

static void Put(std::FILE* stream, std::string_view ansiText, bool lineEnd)
{
    Log(ansiText, lineEnd);
    std::string text = AnsiToConsole(ansiText);
    if (lineEnd)
        text += '\n';
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

void WriteLine(std::string_view ansiText) { Put(stdout, ansiText, true); }
void WriteErrorLine(std::string_view ansiText) { Put(stderr, ansiText, true); }
void WriteText(std::string_view ansiText) { Put(stdout, ansiText, false); }

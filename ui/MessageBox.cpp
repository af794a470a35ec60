#include "MessageBox.h"

#include <windows.h>

#include "ZeRizIva/Console.h"

namespace {

const char* AnswerName(int answer)
{
    switch (answer) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "no answer (the box could not be shown)";
    }
}

// The box on one line of the log: its lines joined with " / ".
std::string OneLine(std::string text)
{
    for (size_t at; (at = text.find('\n')) != std::string::npos;)
        text.replace(at, 1, " / ");
    return text;
}

} // namespace

int ShowMessageBox(const std::string& text, const char* title, unsigned type)
{
    const int answer = MessageBoxA(nullptr, text.c_str(), title, type);
    WriteLogLine("Message box \"" + std::string(title) + "\": " + OneLine(text) + " -> " + AnswerName(answer));
    return answer;
}

#include "Prompt.h"

#include <windows.h>

#include "ui/MessageBox.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/Exceptions.h"
#include "install/InstallParams.h"

void Ask(const Question& question)
{
    const InstallParams& params = Params();
    if (params.interactive) {
        const unsigned type = MB_YESNO | MB_ICONWARNING | (question.cautious ? MB_DEFBUTTON2 : 0);
        if (ShowMessageBox(question.boxText, question.title, type) == IDYES)
            return;
        if (!question.cancelReason.empty())
            WriteLine("Installation canceled by user (" + question.cancelReason + ")");
        throw SilentExit(question.exitCode);
    }
    if (params.force) {
        WriteLine(question.warningLine);
        return;
    }
    WriteLine(question.abortLine);
    throw SilentExit(question.exitCode);
}

void Fail(const Failure& failure)
{
    if (Params().interactive) {
        ShowMessageBox(failure.boxText, failure.title, MB_ICONERROR);
        throw SilentExit(failure.interactiveExitCode);
    }
    WriteLine(failure.line);
    throw SilentExit(failure.unattendedExitCode);
}

void NotifyRollbackFailure(const char* title, const std::string& boxText)
{
    if (Params().interactive)
        ShowMessageBox(boxText, title, MB_ICONERROR);
}

void Inform(const char* title, const std::string& text)
{
    if (Params().interactive)
        ShowMessageBox(text, title, MB_ICONINFORMATION);
    else
        WriteLine(text);
}

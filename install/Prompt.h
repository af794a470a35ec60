#pragma once
// The one pattern by which the installer asks, warns and fails: a message box
// in interactive mode, a line on standard output in unattended mode, where
// -force answers the questions. A refusal ends the run with the owner's exit
// code (SilentExit) after "Installation canceled by user (reason)".
#include <string>

struct Question {
    const char* title;
    std::string boxText;
    bool cautious = false;      // default button No: asked before anything is installed
    std::string warningLine;    // unattended with -force; the run goes on
    std::string abortLine;      // unattended without -force; the run ends
    std::string cancelReason;   // interactive refusal; empty: ends without a line
    int exitCode;
};

// Returns when the user or -force allowed going on; otherwise raises SilentExit.
void Ask(const Question& question);

struct Failure {
    const char* title;
    std::string boxText;
    std::string line;           // unattended
    int interactiveExitCode;
    int unattendedExitCode;
};

// An error that ends the installation: the box or the line, then SilentExit.
[[noreturn]] void Fail(const Failure& failure);

// A failure during rollback, after its lines were written: a box in
// interactive mode only. The rollback goes on.
void NotifyRollbackFailure(const char* title, const std::string& boxText);

// An information: a box in interactive mode, the text on standard output otherwise.
void Inform(const char* title, const std::string& text);

#include "UninstallParamsWriter.h"

void UninstallParamsWriter::FileAssociation(std::string_view extension, std::string_view progId)
{
    std::string value(extension);
    value += ':';
    value += progId;
    Append(UninstallSwitch::RestoreFileAssociation, value);
}

void UninstallParamsWriter::Append(UninstallSwitch kind, std::string_view value)
{
    const std::string name = SwitchName(kind);
    if (value.empty())
        throw UninstallParamsError("no value for " + name);
    // The parser ends a value at the next double quote.
    if (value.find('"') != std::string_view::npos)
        throw UninstallParamsError("a double quote in the value of " + name + ": '" + std::string(value) + "'");
    if (!text_.empty())
        text_ += ' ';
    text_ += '"';
    text_ += name;
    text_ += value;
    text_ += '"';
}

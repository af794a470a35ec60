#include "UninstallParamsWriter.h"

void UninstallParamsWriter::SharedResources(std::string_view product)
{
    text_ = Item(UninstallSwitch::ShareResWith, product);
}

void UninstallParamsWriter::FileAssociation(std::string_view extension, std::string_view progId)
{
    AppendPair(UninstallSwitch::RstFileAssoc, extension, progId);
}

void UninstallParamsWriter::SearchPathEntry(std::string_view environmentKey, std::string_view directory)
{
    AppendPair(UninstallSwitch::DelPathEntry, environmentKey, directory);
}

void UninstallParamsWriter::AppendPair(UninstallSwitch kind, std::string_view first, std::string_view second)
{
    std::string value(first);
    value += ':';
    value += second;
    Append(kind, value);
}

void UninstallParamsWriter::Append(UninstallSwitch kind, std::string_view value)
{
    text_ += ' ' + Item(kind, value);
}

std::string UninstallParamsWriter::Item(UninstallSwitch kind, std::string_view value)
{
    const std::string name = SwitchName(kind);
    if (value.empty())
        throw UninstallParamsError("no value for " + name);
    // The parser ends a value at the next double quote.
    if (value.find('"') != std::string_view::npos)
        throw UninstallParamsError("a double quote in the value of " + name + ": '" + std::string(value) + "'");
    return '"' + name + std::string(value) + '"';
}

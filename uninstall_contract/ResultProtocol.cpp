#include "ResultProtocol.h"

#include "ZeRizIva/Text.h"

namespace result_protocol {

std::string Switch(const wchar_t* name, bool withValue)
{
    std::string text = " -";
    for (; *name; ++name)
        text += static_cast<char>(*name);
    return withValue ? text + "=" : text;
}

std::string ChannelArguments(const std::string& section, const std::string& event)
{
    return Switch(kSection, true) + section + Switch(kEvent, true) + event;
}

std::string CallerArguments(unsigned long long section, unsigned long long event)
{
    return Switch(kUnattended, false) + ChannelArguments(HandleValueText(section), HandleValueText(event));
}

bool ParseHandleValue(const std::wstring& text, unsigned long long& value)
{
    if (text.empty() || text.size() > 16)
        return false;
    unsigned long long result = 0;
    for (wchar_t c : text) {
        unsigned digit = 0;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            return false;
        result = result * 16 + digit;
    }
    if (result == 0)
        return false;
    value = result;
    return true;
}

std::string HandleValueText(unsigned long long value) { return HexDigits(value); }

} // namespace result_protocol

// The multi-string parser on any value data: the strings must equal a plain
// reading by the REG_MULTI_SZ rules (MultiString.h), and a list it returns
// must survive formatting and parsing again.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "ZeRizIva/MultiString.h"

namespace {

constexpr unsigned long kInvalidData = 13;

// Strings end at a zero; the final string ends at the data's last byte, and a
// zero right before it ends the list instead.
std::vector<std::string> Reference(const std::string& data)
{
    std::vector<std::string> strings;
    if (data.size() < 2)
        return strings;
    const std::string body = data.substr(0, data.size() - (data[data.size() - 2] == '\0' ? 1 : 0));
    std::string current;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\0') {
            current += body[i];
            continue;
        }
        strings.push_back(current);
        current.clear();
    }
    return strings;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> strings{"left over"};
    const unsigned long result = ParseMultiString(data, size, strings);
    if (size > 0 && bytes.back() != '\0') {
        FUZZ_CHECK(result == kInvalidData && strings.empty());
        return 0;
    }
    FUZZ_CHECK(result == 0);
    FUZZ_CHECK(strings == Reference(bytes));

    if (strings.empty())
        return 0;
    std::vector<std::string> again;
    const std::string formatted = FormatMultiString(strings);
    FUZZ_CHECK(ParseMultiString(reinterpret_cast<const unsigned char*>(formatted.data()), formatted.size(), again) == 0);
    FUZZ_CHECK(again == strings);
    return 0;
}

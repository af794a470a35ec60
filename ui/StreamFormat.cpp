#include "StreamFormat.h"

StreamText PrepareStreamText(std::string_view text, int format)
{
    StreamText prepared{std::string(text), (format & kStreamRichText) != 0};
    const bool mayBeRich = format == kStreamDetect || prepared.richText;
    if (mayBeRich && prepared.text.compare(0, 4, "{\\r ") == 0)
        prepared.text.replace(0, 4, "{\\rtf ");
    if (format == kStreamDetect)
        prepared.richText = prepared.text.compare(0, 5, "{\\rtf") == 0;
    return prepared;
}

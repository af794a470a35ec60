#pragma once
// What a rich edit control is given when text is streamed into it.
#include <string>
#include <string_view>

enum StreamFormat {
    kStreamDetect = 0,
    kStreamPlainText = 1,
    kStreamRichText = 2,
};

struct StreamText {
    std::string text;
    bool richText;
};

// With detection or rich text asked for, a text that begins with "{\r " gets
// "{\rtf " in its place; detection takes rich text when it begins with "{\rtf".
StreamText PrepareStreamText(std::string_view text, int format);

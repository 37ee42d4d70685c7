// Field splitting of compound values ("|"), record lines, grouping ranges (":"
// and "-") and batch details ("+"), on whole GBK characters: the second byte
// of a character such as 東 (0x96 0x7C) is never taken for a "|".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// Field n, counted from 1; a missing field (or n below 1) is the empty text.
// A trailing separator makes no extra field.
std::string SplitField(std::string_view text, char separator, int n);

// The number of fields SplitField sees in the text.
int fieldCount(std::string_view text, char separator);

// Byte offsets of the separator where it stands as a character of its own.
std::vector<size_t> separatorPositions(std::string_view text, char separator);

// The byte after a GBK character starting at `at`: two bytes for a lead byte
// followed by a trail byte, otherwise one.
size_t nextGbkChar(std::string_view text, size_t at);

// True when a text can stand as the last field of a "|"-joined line and read
// back the same: no "|" of its own, and no GBK lead byte left without its
// second byte at the end.
bool fitsAsLastField(std::string_view text);

}  // namespace tessaly

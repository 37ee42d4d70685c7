// Field splitting of compound values ("|"), grouping ranges (":" and "-") and
// batch details ("+").
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// Field n, counted from 1; a missing field (or n below 1) is the empty text.
// A trailing separator makes no extra field.
std::string SplitField(std::string_view text, char separator, int n);

// The number of fields SplitField sees in the text.
int fieldCount(std::string_view text, char separator);

}  // namespace tessaly

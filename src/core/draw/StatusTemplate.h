// The award status caption: a template from the settings with six
// placeholders for where the draw stands.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// Replaces every occurrence of each placeholder, in the order award name,
// drawn so far, award winners, batch winners, batch number, batches. A value
// that is empty leaves its placeholder in place. All texts GBK.
std::string FillStatusTemplate(std::string_view templ, std::string_view awardName, std::string_view batches,
                               std::string_view batchNumber, std::string_view batchWinners,
                               std::string_view awardWinners, std::string_view drawnSoFar);

}  // namespace tessaly

// The one boundary between the core's GBK bytes and Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tessaly {

// Invalid bytes show as the replacement character.
QString toQt(std::string_view gbk);
std::string fromQt(const QString &text);

}  // namespace tessaly

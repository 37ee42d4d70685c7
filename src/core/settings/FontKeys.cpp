#include "settings/FontKeys.h"

#include "text/Gbk.h"

#include <algorithm>
#include <cmath>

namespace tessaly {
namespace {

std::string key(std::string_view prefix, const char *name)
{
    std::string k(prefix);
    k += name;
    return k;
}

}  // namespace

FontSpec defaultSlotFont()
{
    FontSpec f;
    f.name = TSL_GBK("黑体");
    return f;
}

int fontHeightForSize(int size)
{
    size = std::clamp(size, -kMaxFontSize, kMaxFontSize);
    return -static_cast<int>(std::lround(size * 96.0 / 72.0));
}

FontSpec readFontKeys(const IniStore &store, std::string_view section, const FontSpec &base, std::string_view prefix)
{
    FontSpec f = base;
    f.charset = store.readInteger(section, key(prefix, "Charset"), f.charset);
    if (auto c = colorFromString(store.readString(section, key(prefix, "Color"))))
        f.color = *c;
    f.height = store.readInteger(section, key(prefix, "Height"), f.height, -kMaxFontSize, kMaxFontSize, nullptr);
    std::string name = store.readString(section, key(prefix, "Name"));
    if (!name.empty())
        f.name = name;
    if (store.hasKey(section, key(prefix, "Pitch")))
        f.pitch = fontPitchFromString(store.readString(section, key(prefix, "Pitch")));
    f.size = store.readInteger(section, key(prefix, "Size"), f.size, 1, kMaxFontSize, nullptr);
    if (store.hasKey(section, key(prefix, "Style")))
        f.style = fontStyleFromString(store.readString(section, key(prefix, "Style")));
    return f;
}

void writeFontKeys(IniStore &store, std::string_view section, const FontSpec &f, std::string_view prefix)
{
    store.writeInteger(section, key(prefix, "Charset"), f.charset);
    store.writeString(section, key(prefix, "Color"), colorToString(f.color));
    store.writeInteger(section, key(prefix, "Height"), f.height);
    store.writeString(section, key(prefix, "Name"), f.name);
    store.writeString(section, key(prefix, "Pitch"), fontPitchToString(f.pitch));
    store.writeInteger(section, key(prefix, "Size"), f.size);
    store.writeString(section, key(prefix, "Style"), fontStyleToString(f.style));
}

}  // namespace tessaly

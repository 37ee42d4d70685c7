#include "settings/EffectRecord.h"

#include "settings/IniStore.h"

#include <algorithm>

namespace tessaly {
namespace {

std::string key(std::string_view prefix, std::string_view name)
{
    std::string k(prefix);
    k += name;
    return k;
}

}  // namespace

const std::vector<std::string_view> &effectKeyNames()
{
    static const std::vector<std::string_view> names{
        "Alpha",          "Angle",         "Blur",          "Gradual.Enabled", "Gradual.StartColor",
        "Gradual.EndColor", "Gradual.Style", "HorzMirror",  "VertMirror",      "Noise",
        "Outline",        "Shadow.Enabled", "Shadow.Alpha", "Shadow.Blur",     "Shadow.Color",
        "Shadow.OffsetX", "Shadow.OffsetY", "Spray",        "Texture.Enabled", "Texture.Mode",
        "Texture.Picture"};
    return names;
}

TAAEffect clampEffect(TAAEffect e)
{
    using namespace effect_ranges;
    e.Alpha = std::clamp(e.Alpha, 0, kAlphaMax);
    e.Angle = std::clamp(e.Angle, kAngleMin, kAngleMax);
    e.Blur = std::clamp(e.Blur, 0, kBlurMax);
    e.Noise = std::clamp(e.Noise, 0, kNoiseMax);
    e.Spray = std::clamp(e.Spray, 0, kSprayMax);
    e.Shadow.Alpha = std::clamp(e.Shadow.Alpha, 0, kAlphaMax);
    e.Shadow.Blur = std::clamp(e.Shadow.Blur, 0, kBlurMax);
    e.Shadow.OffsetX = std::clamp(e.Shadow.OffsetX, kOffsetMin, kOffsetMax);
    e.Shadow.OffsetY = std::clamp(e.Shadow.OffsetY, kOffsetMin, kOffsetMax);
    return e;
}

void saveEffect(IniStore &store, std::string_view section, std::string_view prefix, const TAAEffect &effect,
                TexturePictureKey picture)
{
    const TAAEffect e = clampEffect(effect);
    auto integer = [&](std::string_view name, int v) { store.writeInteger(section, key(prefix, name), v); };
    auto boolean = [&](std::string_view name, bool v) { store.writeBool(section, key(prefix, name), v); };
    auto text = [&](std::string_view name, std::string_view v) { store.writeString(section, key(prefix, name), v); };

    integer("Alpha", e.Alpha);
    integer("Angle", e.Angle);
    integer("Blur", e.Blur);
    boolean("Gradual.Enabled", e.Gradual.Enabled);
    text("Gradual.StartColor", colorToString(e.Gradual.StartColor));
    text("Gradual.EndColor", colorToString(e.Gradual.EndColor));
    text("Gradual.Style", gradientToString(e.Gradual.Style));
    boolean("HorzMirror", e.HorzMirror);
    boolean("VertMirror", e.VertMirror);
    integer("Noise", e.Noise);
    boolean("Outline", e.Outline);
    boolean("Shadow.Enabled", e.Shadow.Enabled);
    integer("Shadow.Alpha", e.Shadow.Alpha);
    integer("Shadow.Blur", e.Shadow.Blur);
    text("Shadow.Color", colorToString(e.Shadow.Color));
    integer("Shadow.OffsetX", e.Shadow.OffsetX);
    integer("Shadow.OffsetY", e.Shadow.OffsetY);
    integer("Spray", e.Spray);
    boolean("Texture.Enabled", e.Texture.Enabled);
    text("Texture.Mode", textureModeToString(e.Texture.Mode));
    if (picture == TexturePictureKey::WriteEmpty)
        text("Texture.Picture", "");
}

EffectLoadReport loadEffect(const IniStore &store, std::string_view section, std::string_view prefix,
                            TAAEffect &effect)
{
    EffectLoadReport report;
    for (std::string_view name : effectKeyNames())
        if (store.hasKey(section, key(prefix, name))) {
            report.found = true;
            break;
        }
    // A section that never held the record (an element saved before it had
    // effects) keeps the component defaults instead of turning invisible.
    if (!report.found)
        return report;

    auto integer = [&](std::string_view name) { return store.readInteger(section, key(prefix, name), 0); };
    auto boolean = [&](std::string_view name) { return store.readBool(section, key(prefix, name), false); };
    auto text = [&](std::string_view name) { return store.readString(section, key(prefix, name)); };
    auto color = [&](std::string_view name, TColor &target) {
        const std::string k = key(prefix, name);
        if (!store.hasKey(section, k))
            return;
        if (auto c = colorFromString(store.readString(section, k)))
            target = *c;
        else
            report.malformedKeys.push_back(k);
    };

    TAAEffect e = effect;
    e.Alpha = integer("Alpha");
    e.Angle = integer("Angle");
    e.Blur = integer("Blur");
    e.Gradual.Enabled = boolean("Gradual.Enabled");
    color("Gradual.StartColor", e.Gradual.StartColor);
    color("Gradual.EndColor", e.Gradual.EndColor);
    e.Gradual.Style = gradientFromString(text("Gradual.Style"));
    e.HorzMirror = boolean("HorzMirror");
    e.VertMirror = boolean("VertMirror");
    e.Noise = integer("Noise");
    e.Outline = boolean("Outline");
    e.Shadow.Enabled = boolean("Shadow.Enabled");
    e.Shadow.Alpha = integer("Shadow.Alpha");
    e.Shadow.Blur = integer("Shadow.Blur");
    color("Shadow.Color", e.Shadow.Color);
    e.Shadow.OffsetX = integer("Shadow.OffsetX");
    e.Shadow.OffsetY = integer("Shadow.OffsetY");
    e.Spray = integer("Spray");
    e.Texture.Enabled = boolean("Texture.Enabled");
    e.Texture.Mode = textureModeFromString(text("Texture.Mode"));
    e.Texture.Picture = text("Texture.Picture");
    effect = clampEffect(e);
    return report;
}

}  // namespace tessaly

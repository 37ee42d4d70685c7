#include "TempProgramDir.h"

#include "core/settings/EffectRecord.h"
#include "core/settings/FontStyleName.h"
#include "core/settings/IniStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace tessaly {
namespace {

using test::G;
using test::TempProgramDir;

IniStore openIn(const TempProgramDir &dir)
{
    auto store = IniStore::open(dir / "set.dat");
    EXPECT_TRUE(store.ok());
    return std::move(*store);
}

TAAEffect everyFieldSet()
{
    TAAEffect e;
    e.Alpha = 55;
    e.Angle = -45;
    e.Blur = 12;
    e.Gradual = {true, colors::clYellow, static_cast<TColor>(0x0000A5FF), GradientStyle::gsCenterToTB};
    e.HorzMirror = true;
    e.VertMirror = true;
    e.Noise = 200;
    e.Outline = true;
    e.Shadow = {true, 30, 90, colors::clNavy, -20, 20};
    e.Spray = 7;
    e.Texture = {true, TextureMode::tmStretched, G("img\\纹理.jpg")};
    return e;
}

TEST(EffectRecord, SaveAllWritesEveryKeyInOrderWithItsEncoding)
{
    TempProgramDir dir;
    dir.write("set.dat", "[FirstTitle]\r\nCaption=x\r\n");
    IniStore store = openIn(dir);
    saveEffect(store, "FirstTitle", kLabelEffectPrefix, everyFieldSet(), TexturePictureKey::WriteEmpty);
    ASSERT_TRUE(store.commit().ok());
    EXPECT_EQ(dir.read("set.dat"), "[FirstTitle]\r\n"
                                   "Caption=x\r\n"
                                   "Effect.FontEffect.Alpha=55\r\n"
                                   "Effect.FontEffect.Angle=-45\r\n"
                                   "Effect.FontEffect.Blur=12\r\n"
                                   "Effect.FontEffect.Gradual.Enabled=1\r\n"
                                   "Effect.FontEffect.Gradual.StartColor=clYellow\r\n"
                                   "Effect.FontEffect.Gradual.EndColor=$0000A5FF\r\n"
                                   "Effect.FontEffect.Gradual.Style=gsCenterToTB\r\n"
                                   "Effect.FontEffect.HorzMirror=1\r\n"
                                   "Effect.FontEffect.VertMirror=1\r\n"
                                   "Effect.FontEffect.Noise=200\r\n"
                                   "Effect.FontEffect.Outline=1\r\n"
                                   "Effect.FontEffect.Shadow.Enabled=1\r\n"
                                   "Effect.FontEffect.Shadow.Alpha=30\r\n"
                                   "Effect.FontEffect.Shadow.Blur=90\r\n"
                                   "Effect.FontEffect.Shadow.Color=clNavy\r\n"
                                   "Effect.FontEffect.Shadow.OffsetX=-20\r\n"
                                   "Effect.FontEffect.Shadow.OffsetY=20\r\n"
                                   "Effect.FontEffect.Spray=7\r\n"
                                   "Effect.FontEffect.Texture.Enabled=1\r\n"
                                   "Effect.FontEffect.Texture.Mode=tmStretched\r\n"
                                   "Effect.FontEffect.Texture.Picture=\r\n");
}

TEST(EffectRecord, TheEffectDialogsSaveLeavesThePictureKeyAlone)
{
    TempProgramDir dir;
    dir.write("set.dat", "[SScrollText]\r\nText.FontEffect.Texture.Picture=keep.jpg\r\n");
    IniStore store = openIn(dir);
    saveEffect(store, "SScrollText", kScrollerEffectPrefix, everyFieldSet(), TexturePictureKey::Omit);
    ASSERT_TRUE(store.commit().ok());
    IniStore reread = openIn(dir);
    EXPECT_EQ(reread.readString("SScrollText", "Text.FontEffect.Texture.Picture"), "keep.jpg");
    EXPECT_EQ(reread.readString("SScrollText", "Text.FontEffect.Noise"), "200");
    EXPECT_FALSE(reread.hasKey("SScrollText", "Effect.FontEffect.Noise"));
}

TEST(EffectRecord, ASavedRecordLoadsBackWithoutItsPicture)
{
    TempProgramDir dir;
    for (auto prefix : {kLabelEffectPrefix, kScrollerEffectPrefix}) {
        IniStore store = openIn(dir);
        saveEffect(store, "Award", prefix, everyFieldSet(), TexturePictureKey::WriteEmpty);
        ASSERT_TRUE(store.commit().ok());
        TAAEffect loaded;
        const EffectLoadReport report = loadEffect(openIn(dir), "award", prefix, loaded);
        EXPECT_TRUE(report.found);
        EXPECT_TRUE(report.malformedKeys.empty());
        TAAEffect expected = everyFieldSet();
        expected.Texture.Picture.clear();
        EXPECT_EQ(loaded, expected) << prefix;
    }
}

TEST(EffectRecord, LoadingFollowsTheStoredFileRules)
{
    struct Case {
        const char *name;
        std::string lines;  // keys of section [S], prefix Effect.FontEffect.
        std::function<void(const TAAEffect &, const EffectLoadReport &)> check;
    };
    const TAAEffect defaults;
    const std::vector<Case> cases{
        {"missing keys read as 0, false or empty once the record is there", "Blur=5\r\n",
         [](const TAAEffect &e, const EffectLoadReport &r) {
             EXPECT_TRUE(r.found);
             EXPECT_EQ(e.Blur, 5);
             EXPECT_EQ(e.Alpha, 0);
             EXPECT_EQ(e.Shadow.Alpha, 0);
             EXPECT_EQ(e.Shadow.Blur, 0);
             EXPECT_EQ(e.Shadow.OffsetX, 0);
             EXPECT_FALSE(e.Shadow.Enabled);
             EXPECT_EQ(e.Texture.Mode, TextureMode::tmNormal);  // the empty text matches no mode name
             EXPECT_EQ(e.Gradual.Style, GradientStyle::gsLeftToRight);
             EXPECT_EQ(e.Shadow.Color, colors::clBlack);  // a missing colour keeps what it was
         }},
        {"a section without the record keeps the defaults", "Other=1\r\n",
         [&](const TAAEffect &e, const EffectLoadReport &r) {
             EXPECT_FALSE(r.found);
             EXPECT_EQ(e, defaults);
         }},
        {"unknown direction and mode names", "Gradual.Style=gsDiagonal\r\nTexture.Mode=TMTILED\r\n",
         [](const TAAEffect &e, const EffectLoadReport &) {
             EXPECT_EQ(e.Gradual.Style, GradientStyle::gsLeftToRight);
             EXPECT_EQ(e.Texture.Mode, TextureMode::tmNormal);  // names match exactly
         }},
        {"a malformed colour keeps its value and is reported", "Shadow.Color=purple-ish\r\nGradual.EndColor=$FF\r\n",
         [](const TAAEffect &e, const EffectLoadReport &r) {
             EXPECT_EQ(e.Shadow.Color, colors::clBlack);
             EXPECT_EQ(e.Gradual.EndColor, colors::clRed);
             ASSERT_EQ(r.malformedKeys.size(), 1u);
             EXPECT_EQ(r.malformedKeys[0], "Effect.FontEffect.Shadow.Color");
         }},
        {"numbers outside their ranges are brought back",
         "Alpha=150\r\nAngle=-720\r\nBlur=101\r\nNoise=300\r\nSpray=-1\r\nShadow.OffsetX=21\r\nShadow.OffsetY=-99\r\n"
         "Shadow.Alpha=1000\r\n",
         [](const TAAEffect &e, const EffectLoadReport &) {
             EXPECT_EQ(e.Alpha, 100);
             EXPECT_EQ(e.Angle, -360);
             EXPECT_EQ(e.Blur, 100);
             EXPECT_EQ(e.Noise, 255);
             EXPECT_EQ(e.Spray, 0);
             EXPECT_EQ(e.Shadow.OffsetX, 20);
             EXPECT_EQ(e.Shadow.OffsetY, -20);
             EXPECT_EQ(e.Shadow.Alpha, 100);
         }},
        {"booleans and numbers as the settings file reads them",
         "HorzMirror=2\r\nVertMirror=yes\r\nOutline=0\r\nAlpha=abc\r\nAngle= 30 \r\n",
         [](const TAAEffect &e, const EffectLoadReport &) {
             EXPECT_TRUE(e.HorzMirror);
             EXPECT_FALSE(e.VertMirror);
             EXPECT_FALSE(e.Outline);
             EXPECT_EQ(e.Alpha, 0);
             EXPECT_EQ(e.Angle, 30);
         }},
        {"the picture path is read as stored", "Texture.Enabled=1\r\nTexture.Picture=img\\t.bmp\r\n",
         [](const TAAEffect &e, const EffectLoadReport &) {
             EXPECT_TRUE(e.Texture.Enabled);
             EXPECT_EQ(e.Texture.Picture, "img\\t.bmp");
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempProgramDir dir;
        std::string file = "[S]\r\n";
        std::string rest = c.lines;
        for (size_t pos = 0; pos < rest.size();) {
            const size_t end = rest.find("\r\n", pos);
            const std::string line = rest.substr(pos, end - pos);
            file += (line.rfind("Other", 0) == 0 ? "" : "Effect.FontEffect.") + line + "\r\n";
            pos = end + 2;
        }
        dir.write("set.dat", file);
        TAAEffect e;
        const EffectLoadReport report = loadEffect(openIn(dir), "S", kLabelEffectPrefix, e);
        c.check(e, report);
    }
}

TEST(EffectRecord, TheShippedTitleLoadsAsWritten)
{
    TempProgramDir dir;
    std::filesystem::copy_file(std::filesystem::path(TESSALY_DIST_DIR) / "set.dat", dir / "set.dat");
    TAAEffect e;
    ASSERT_TRUE(loadEffect(openIn(dir), "FirstTitle", kLabelEffectPrefix, e).found);
    EXPECT_EQ(e.Alpha, 100);
    EXPECT_TRUE(e.Gradual.Enabled);
    EXPECT_EQ(e.Gradual.Style, GradientStyle::gsTopToBottom);
    EXPECT_EQ(e.Gradual.EndColor, static_cast<TColor>(0x0000A5FF));
    EXPECT_TRUE(e.Shadow.Enabled);
    EXPECT_EQ(e.Shadow.Blur, 40);
    EXPECT_EQ(e.Shadow.OffsetX, 3);
    EXPECT_EQ(e.Texture.Mode, TextureMode::tmTiled);
}

TEST(FontStyleName, EveryStyleSetMapsToItsNameOrToNone)
{
    const std::vector<std::pair<unsigned, std::string>> cases{
        {0u, "常规"},
        {fsItalic, "斜体"},
        {fsBold, "粗体"},
        {fsBold | fsItalic, "粗斜体"},
        {fsUnderline, ""},
        {fsBold | fsUnderline, ""},
        {fsItalic | fsStrikeOut, ""},
        {fsBold | fsItalic | fsUnderline | fsStrikeOut, ""},
    };
    for (const auto &[styles, name] : cases) {
        EXPECT_EQ(fontStyleName(styles), G(name)) << fontStyleToString(styles);
        if (!name.empty()) {
            EXPECT_EQ(fontStyleFromName(G(name), fsUnderline), styles) << name;
        }
    }
}

TEST(FontStyleName, AFieldWithoutOneOfTheFourNamesKeepsTheStyle)
{
    const unsigned boldUnderline = fsBold | fsUnderline;
    for (const std::string &field : {std::string(), G("粗体 "), G("Bold"), G("粗")})
        EXPECT_EQ(fontStyleFromName(field, boldUnderline), boldUnderline) << field;
}

TEST(FontStyleName, TheSizeFieldMustHoldAWholeNumberOfPoints)
{
    const std::vector<std::pair<std::string, int>> accepted{{"12", 12}, {" 36 ", 36}, {"1", 1}, {"1638", 1638},
                                                            {"072", 72}};
    for (const auto &[text, size] : accepted) {
        const Result<int> r = parseFontSize(text);
        ASSERT_TRUE(r.ok()) << text;
        EXPECT_EQ(*r, size);
    }
    for (const std::string text : {"", "abc", "0", "-5", "+5", "12.5", "1639", "99999999999", "$10", "1 2"}) {
        const Result<int> r = parseFontSize(text);
        EXPECT_EQ(r.code(), ErrorCode::BadInput) << text;
    }
    EXPECT_NE(parseFontSize("abc").error().message.find("abc"), std::string::npos);
}

}  // namespace
}  // namespace tessaly

#include "ui/common/LabelMenu.h"

#include "core/settings/EffectRecord.h"
#include "core/settings/Settings.h"
#include "core/stage/TextMeasurer.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/common/QtValues.h"
#include "ui/effects/TAAFontDialog.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/Tmyfontdialog.h"

#include <QMenu>

namespace tessaly {
namespace {

void writeKeys(QWidget *parent, const LabelMenuContext &c, const std::function<void(IniStore &)> &write)
{
    auto s = openSettings(c.programDir);
    Status result = s ? Status(Ok{}) : Status(s.error());
    if (s) {
        write(*s);
        result = s->commit();
    }
    if (!result)
        c.messages.notify(parent, QStringLiteral("提示"), toQt(result.error().message));
    if (c.changed)
        c.changed();
}

}  // namespace

TAALabel *newStageLabel(QWidget *parent, const char *name)
{
    auto *label = new TAALabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    TAAFontEffect effect = label->effect();
    effect.Alignment = TextAlignment::Center;
    effect.Transparent = true;
    label->setEffect(effect);
    label->setContextMenuPolicy(Qt::CustomContextMenu);
    return label;
}

std::optional<FontSpec> chooseFont(QWidget *parent, MessageService &messages, PickerService &pickers,
                                   const FontSpec &current)
{
    Tmyfontdialog dialog(messages, pickers, parent);
    auto chosen = dialog.execute({toQt(current.name), current.style, current.size, current.color});
    if (!chosen)
        return std::nullopt;
    FontSpec spec = current;
    spec.name = fromQt(chosen->name);
    spec.style = chosen->styles;
    spec.size = chosen->size;
    spec.height = fontHeightForSize(spec.size);
    spec.color = chosen->color;
    return spec;
}

void execLabelMenu(QWidget *parent, TAALabel *label, const LabelMenuContext &c, const QPoint &globalPos)
{
    const std::string section = fromQt(label->objectName());
    QMenu menu(parent);
    menu.addAction(QStringLiteral("设置字体"), parent, [=] {
        auto chosen = chooseFont(parent, c.messages, c.pickers, c.font(label));
        if (!chosen)
            return;
        const FontSpec spec = *chosen;
        c.applyFont(label, spec);
        writeKeys(parent, c, [&](IniStore &s) {
            writeFontKeys(s, section, spec);
            s.writeInteger(section, "Width", label->width());
            s.writeInteger(section, "Height", label->height());
        });
    })->setObjectName(QStringLiteral("N155"));
    menu.addAction(QStringLiteral("字体特效"), parent, [=] {
        TAAEffect effect = label->fontEffect();
        TAAFontDialog dialog(c.pickers, parent);
        dialog.setPreviewFont(label->font(), label->fontColor());
        dialog.setPreviewText(label->caption());
        if (!dialog.execute(effect))
            return;
        label->setFontEffect(effect);
        writeKeys(parent, c, [&](IniStore &s) {
            saveEffect(s, section, kLabelEffectPrefix, effect, TexturePictureKey::Omit);
            s.writeInteger(section, "Width", label->width());
            s.writeInteger(section, "Height", label->height());
        });
    })->setObjectName(QStringLiteral("N156"));
    QAction *transparent = menu.addAction(QStringLiteral("底色透明"));
    transparent->setObjectName(QStringLiteral("N159"));
    transparent->setCheckable(true);
    transparent->setChecked(label->transparent());
    QObject::connect(transparent, &QAction::triggered, parent, [=] {
        label->setTransparent(!label->transparent());
        writeKeys(parent, c, [&](IniStore &s) { s.writeBool(section, "Effect.Transparent", label->transparent()); });
    });
    menu.addAction(QStringLiteral("修改底色"), parent, [=] {
        if (auto colour = c.pickers.pickColor(parent, toQColor(label->backColor()))) {
            label->setBackColor(toTColor(*colour));
            writeKeys(parent, c, [&](IniStore &s) { s.writeInteger(section, "Effect.BackColor", label->backColor()); });
        }
    })->setObjectName(QStringLiteral("N7"));
    menu.addAction(QStringLiteral("隐藏文字"), parent, [=] {
        label->hide();
        writeKeys(parent, c, [&](IniStore &s) { s.writeBool(section, "Visible", false); });
    })->setObjectName(QStringLiteral("N8"));
    menu.addAction(QStringLiteral("居中对齐"), parent, [=] {
        label->move(roundHalfEven((c.stageWidth - label->width()) / 2.0), label->y());
        if (c.writeLeftOnCentre)
            writeKeys(parent, c, [&](IniStore &s) { s.writeInteger(section, "Left", label->x()); });
        else if (c.changed)
            c.changed();
    })->setObjectName(QStringLiteral("N17"));
    menu.exec(globalPos);
}

}  // namespace tessaly

// The stage's menus: the tool bar's four menus, adjustment mode, restoring the
// defaults, the background pictures, and the popup menus of the labels, the
// buttons and the slots.
#include "ui/stage/TFrmMain.h"

#include "core/draw/AwardSaveDecision.h"
#include "core/draw/DrawSession.h"
#include "core/event/Backup.h"
#include "core/files/Paths.h"
#include "core/settings/EffectRecord.h"
#include "core/settings/Settings.h"
#include "core/text/Gbk.h"
#include "ui/common/FileOpener.h"
#include "ui/control/DrawControl.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/common/QtValues.h"
#include "ui/effects/TAAFontDialog.h"
#include "ui/event/CheckWindow.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/TSkyScrollText.h"
#include "ui/effects/TStretchHandle.h"
#include "ui/effects/Tmyfontdialog.h"
#include "ui/photo/PhotoStage.h"
#include "ui/common/LabelMenu.h"
#include "ui/common/StageWidgets.h"
#include "ui/proof/GuestNumbersDialog.h"
#include "ui/proof/ProofSheet.h"
#include "ui/stage/StageLayout.h"
#include "ui/stage/TForm_changpo.h"
#include "ui/stage/TForm_changpo20.h"
#include "ui/stage/TFrmSplash.h"
#include "ui/participants/TTextedit.h"
#include "ui/special/SpecialSettings.h"

#include <QDateTime>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QImageReader>
#include <QHBoxLayout>
#include <QMenu>
#include <QTimer>
#include <QLabel>
#include <QToolButton>

namespace tessaly {
namespace {

void releaseMenuButton(QToolButton *button)
{
    if (!button->rect().contains(button->mapFromGlobal(QCursor::pos()))) {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
        button->setAttribute(Qt::WA_UnderMouse, false);
    }
    button->setDown(false);
    button->update();
}

QToolButton *menuButton(QWidget *bar, const QString &caption, QMenu *menu)
{
    auto *button = new QToolButton(bar);
    button->setText(caption);
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setFocusPolicy(Qt::NoFocus);
    bar->layout()->addWidget(button);
    // A dialog opened from the menu swallows the pointer's leaving the button, which then stayed
    // highlighted after the dialog closed: release it once the menu is gone, and again once the
    // item's work (its dialog included) is done.
    auto release = [button] { QTimer::singleShot(0, button, [button] { releaseMenuButton(button); }); };
    QObject::connect(menu, &QMenu::aboutToHide, button, release);
    QObject::connect(menu, &QMenu::triggered, button, release);
    return button;
}

const char *const kBackgroundNames[] = {"经典蓝", "活力橙", "水粉蓝", "绚目黄", "梦幻蓝",
                                        "水粉绿", "荧光绿", "粉红心", "溏心粉", "喜庆红"};

}  // namespace

void TFrmMain::createMenus()
{
    auto *layout = new QHBoxLayout(ControlBar1);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);

    m_menuInterface = new QMenu(this);
    NA2 = m_menuInterface->addAction(QStringLiteral("调整界面位置"), this, &TFrmMain::NA2Click);
    NA2->setObjectName(QStringLiteral("NA2"));
    NA2->setCheckable(true);
    m_menuInterface->addAction(QStringLiteral("主界面自动排版"), this, &TFrmMain::NA7Click)
        ->setObjectName(QStringLiteral("NA7"));
    m_menuInterface->addAction(QStringLiteral("滚动区自动排版"), this, &TFrmMain::NA6Click)
        ->setObjectName(QStringLiteral("NA6"));
    // The layout shown in proportion on a screen of another size than it was arranged for.
    auto *fit = m_menuInterface->addAction(QStringLiteral("按屏幕放大"));
    fit->setObjectName(QStringLiteral("NAfit"));
    fit->setCheckable(true);
    connect(m_menuInterface, &QMenu::aboutToShow, fit, [this, fit] { fit->setChecked(m_layout->fitToScreen()); });
    connect(fit, &QAction::triggered, this, [this](bool on) { m_layout->setFitToScreen(on); });
    QMenu *backgrounds = m_menuInterface->addMenu(QStringLiteral("更换背景图画"));
    backgrounds->setObjectName(QStringLiteral("NA1"));
    for (int i = 1; i <= 10; ++i)
        backgrounds->addAction(QString::fromUtf8(kBackgroundNames[i - 1]), this, [this, i] { chooseBackground(i); })
            ->setObjectName(QStringLiteral("Nbj%1").arg(i));
    backgrounds->addAction(QStringLiteral("自定义..."), this, [this] { chooseBackground(0); })
        ->setObjectName(QStringLiteral("Nbj11"));
    m_menuInterface->addAction(QStringLiteral("恢复默认设置"), this, &TFrmMain::NA3Click)
        ->setObjectName(QStringLiteral("NA3"));
    m_menuInterface->addAction(QStringLiteral("锁定屏幕"), m_special, &SpecialSettings::lockScreen)
        ->setObjectName(QStringLiteral("NA8"));
    m_menuInterface->addSeparator();
    auto *minimise = m_menuInterface->addAction(QStringLiteral("最小化窗口"), this, &QWidget::showMinimized);
    minimise->setObjectName(QStringLiteral("NA4"));
    minimise->setShortcut(Qt::Key_F11);
    minimise->setShortcutContext(Qt::WidgetShortcut);
    auto *quit = m_menuInterface->addAction(QStringLiteral("关闭程序"), this, &QWidget::close);
    quit->setObjectName(QStringLiteral("NA5"));
    quit->setShortcut(Qt::Key_F12);
    quit->setShortcutContext(Qt::WidgetShortcut);

    m_menuSettings = new QMenu(this);
    m_menuSettings->addAction(QStringLiteral("编辑抽奖人员名单"), this, &TFrmMain::openListEditor)
        ->setObjectName(QStringLiteral("NB1"));
    m_menuSettings->addAction(QStringLiteral("恢复备份..."), this, &TFrmMain::restoreBackupClick)
        ->setObjectName(QStringLiteral("NBbackup"));
    m_menuSettings->addAction(QStringLiteral("主副标题/奖项设置"), this, &TFrmMain::openAwardSettings)
        ->setObjectName(QStringLiteral("NB2"));
    m_menuSettings->addAction(QStringLiteral("抽奖音效设置"), this, &TFrmMain::openSoundSettings)
        ->setObjectName(QStringLiteral("NBmusic"));
    m_menuSettings->addAction(QStringLiteral("奖项分组设置"), m_special, &SpecialSettings::openGrouping)
        ->setObjectName(QStringLiteral("Nfz"));
    m_menuSettings->addAction(QStringLiteral("同步备份..."), this, &TFrmMain::openMirrorSettings)
        ->setObjectName(QStringLiteral("NBmirror"));
    NB3 = m_menuSettings->addAction(QStringLiteral("自动隐藏主菜单(&ESC)"));
    NB3->setObjectName(QStringLiteral("NB3"));
    NB3->setCheckable(true);
    NB3->setChecked(true);
    connect(NB3, &QAction::toggled, this, [this](bool on) {
        m_autoHideBar = on;
        if (!on)
            ControlBar1->show();
    });

    m_menuFunctions = new QMenu(this);
    m_menuFunctions->setObjectName(QStringLiteral("MenuFunctions"));
    auto *results = m_menuFunctions->addAction(QStringLiteral("展示中奖结果"), this, &TFrmMain::NC1Click);
    results->setObjectName(QStringLiteral("NC1"));
    results->setShortcut(Qt::Key_F6);
    results->setShortcutContext(Qt::WidgetShortcut);
    auto shortcut = [](QAction *a, Qt::Key key) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetShortcut);  // the keys are handled by the window itself
        return a;
    };
    shortcut(m_menuFunctions->addAction(QStringLiteral("显示中奖名单"), this, &TFrmMain::NC2Click), Qt::Key_F7)
        ->setObjectName(QStringLiteral("NC2"));
    shortcut(m_menuFunctions->addAction(QStringLiteral("重新开始抽奖"), m_control, &DrawControl::restart), Qt::Key_F1)
        ->setObjectName(QStringLiteral("NC4"));
    NC5 = m_menuFunctions->addMenu(QStringLiteral("从某奖项开始抽"));
    NC5->setObjectName(QStringLiteral("NC5"));
    shortcut(m_menuFunctions->addAction(QStringLiteral("弃奖..."), m_control, &DrawControl::giveUp), Qt::Key_F3)
        ->setObjectName(QStringLiteral("NC7"));
    shortcut(m_menuFunctions->addAction(QStringLiteral("补奖..."), m_control, &DrawControl::supplement), Qt::Key_F4)
        ->setObjectName(QStringLiteral("NC6"));
    shortcut(m_menuFunctions->addAction(QStringLiteral("临时修改奖品"), this, &TFrmMain::NC9Click), Qt::Key_F5)
        ->setObjectName(QStringLiteral("NC9"));
    m_menuFunctions->addSeparator();
    m_menuFunctions->addAction(QStringLiteral("查看中奖名单"), this, [this] { m_control->apply(m_session->WriteWinnersFile()); })
        ->setObjectName(QStringLiteral("NC10"));
    m_menuFunctions->addAction(QStringLiteral("查看未中奖名单"), this, [this] { m_control->apply(m_session->WriteNonWinnersFile()); })
        ->setObjectName(QStringLiteral("NC8"));
    m_menuFunctions->addAction(QStringLiteral("抽奖历史记录"), this, [this] {
        m_services.opener.open(QString::fromStdString(programFile(m_programDir, "log.txt").string()));
    })->setObjectName(QStringLiteral("NC3"));
    m_menuFunctions->addAction(QStringLiteral("抽奖公证单..."), this, &TFrmMain::printProofSheet)
        ->setObjectName(QStringLiteral("NCproof"));
    m_menuFunctions->addAction(QStringLiteral("来宾数字..."), this, &TFrmMain::openGuestNumbers)
        ->setObjectName(QStringLiteral("NCguests"));

    m_menuHelp = new QMenu(this);
    m_menuHelp->addAction(QStringLiteral("操作提示"), this, &TFrmMain::ND1Click)->setObjectName(QStringLiteral("ND1"));
    m_menuHelp->addAction(QStringLiteral("帮助"), this, &TFrmMain::ND2Click)->setObjectName(QStringLiteral("ND2"));
    m_menuHelp->addAction(QStringLiteral("检查抽奖设置"), this, [this] {
        CheckWindow window(m_programDir, this);
        window.exec();
    })->setObjectName(QStringLiteral("NDcheck"));

    menuButton(ControlBar1, QStringLiteral("界面"), m_menuInterface);
    menuButton(ControlBar1, QStringLiteral("设定"), m_menuSettings);
    QToolButton *functions = menuButton(ControlBar1, QStringLiteral("功能"), m_menuFunctions);
    functions->setObjectName(QStringLiteral("FunctionsButton"));
    menuButton(ControlBar1, QStringLiteral("帮助"), m_menuHelp);

    // The status line: a failed save with its retry, and the mirror's state.
    StatusLine = new QLabel(ControlBar1);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setStyleSheet(QStringLiteral("color: white; padding: 0 6px;"));
    ControlBar1->layout()->addWidget(StatusLine);
    RetryButton = new QToolButton(ControlBar1);
    RetryButton->setObjectName(QStringLiteral("RetryButton"));
    RetryButton->setText(QStringLiteral("重试保存"));
    RetryButton->hide();
    connect(RetryButton, &QToolButton::clicked, this, [this] { m_control->retrySave(); });
    ControlBar1->layout()->addWidget(RetryButton);
    ControlBar1->adjustSize();
}

void TFrmMain::NA2Click()
{
    AdjustMode = !AdjustMode;
    NA2->setChecked(AdjustMode);
    m_session->setAdjustMode(AdjustMode);
    if (AdjustMode) {
        m_services.messages.notify(this, QStringLiteral("提示"),
                                   QStringLiteral("可以开始调整各部件的大小和位置。调整结束后请再按一次菜单\"调整界面位置\"或按\"ESC键\"以便保存界面。"));
        return;
    }
    // Keep the marquee inside the window before everything is saved.
    TSkyScrollText *m = RzMarqueeStatus1;
    if (width() < m->width())
        m->resize(width() - 2, m->height());
    if (m->x() < 0 || m->x() + m->width() > width())
        m->move(0, m->y());
    m_layout->WriteConfig();
    // Only slots that stand on the stage are stored: a batch that is prepared but
    // not rolling shows none, and the last loaded layout belongs to another size.
    const int n = m_session->state().BatchSize;
    if (m_session->flags().PhotoMode)
        m_photos->SavePhotoSlotPositions(n);
    else if (n > 0 && n == slotsOnStage()) {
        if (n > kMaxSlots)
            m_layout->WriteConfiglabel20(n);
        else
            m_layout->WriteConfiglabel(n);
    }
    m_layout->LayoutDirty = false;
    myDrag->detach();
}

void TFrmMain::NA3Click()
{
    if (!m_services.messages.ask(this, QStringLiteral("提示"), QStringLiteral("是否要恢复到软件安装时的默认设置？")))
        return;
    // Winners already drawn would be cleared: that is asked on its own.
    if (const int recorded = recordedWinners();
        recorded > 0 && !m_services.messages.ask(this, QStringLiteral("重要提示"),
                                                  toQt(factoryResetQuestion(recorded) + "\n\n" +
                                                       backupNotice(m_programDir, 0))))
        return;
    if (!keepBackup())
        return;
    m_layout->report(restoreFactorySettings(m_programDir));
    m_layout->LayoutDirty = false;
    auto settings = openSettings(m_programDir);
    if (settings && layoutNeedsArranging(settings->readString("Option", "screenmain"), {StageWidth(), StageHeight()},
                                         settings->readBool("Option", kFitToScreenKey, true))) {
        m_layout->ReadConfig();
        m_layout->AutoLayoutMain();
    }
    m_control->resetDraw(false);
}

void TFrmMain::NA6Click()
{
    if (m_services.messages.ask(this, QStringLiteral("抽奖滚动区排版提示"),
                                QStringLiteral("是否要让软件对抽奖滚动区进行全部自动重新排版?(自动排版用于抽奖滚动区版面导常时，自动排版后可手动调整。注：所有版面调整软件会自动保存)"))) {
        m_layout->ArrangeAllSlots(true);
        m_layout->reloadSlots(m_session->state().BatchSize);
    }
}

void TFrmMain::NA7Click()
{
    if (m_services.messages.ask(this, QStringLiteral("主界面排版提示"),
                                QStringLiteral("是否要让软件对主界面主副标题等进行自动重新排版?(自动排版用于主界面版面导常时，自动排版后可手动调整。注：所有版面调整软件会自动保存)")))
        m_layout->AutoLayoutMain();
}

void TFrmMain::ND1Click()
{
    TFrmSplash tips(m_programDir, m_services.messages, true, this);
    tips.exec();
}

void TFrmMain::ND2Click()
{
    m_services.opener.open(QString::fromStdString(programFile(m_programDir, "Tessaly.html").string()));
}

void TFrmMain::chooseBackground(int index)
{
    std::string stored;
    if (index > 0) {
        stored = "img\\" + std::to_string(index) + ".jpg";
        // A missing or unreadable picture is reported and the stored background stays.
        const QString file = QString::fromStdString(resolveStoredPath(m_programDir, stored).string());
        QImageReader reader(file);
        if (!storedFileExists(m_programDir, stored) || !reader.canRead()) {
            const QString reason = storedFileExists(m_programDir, stored) ? reader.errorString()
                                                                          : QStringLiteral("文件不存在。");
            m_services.messages.notify(this, QStringLiteral("提示"),
                                       QStringLiteral("无法加载背景图片：\n%1\n\n原因：%2").arg(file, reason),
                                       MessageService::Icon::Warning);
            return;
        }
    } else {
        const QString file = m_services.pickers.pickOpenFile(
            this, QStringLiteral("选择背景图片"), QStringLiteral("图片文件 (*.jpg *.jpeg *.png *.bmp)"));
        if (file.isEmpty())
            return;
        auto imported = importIntoProgramFolder(m_programDir, file.toStdString(), "img");
        if (!imported)
            return m_layout->report(imported.error());
        stored = *imported;
    }
    auto settings = openSettings(m_programDir);
    if (!settings)
        return m_layout->report(settings.error());
    settings->writeString("Option", "MainImgBG", stored);
    if (m_layout->commitSettings(*settings))
        m_layout->loadBackground();
}

// Popup menus ------------------------------------------------------------------

void TFrmMain::PopupMenu2Popup(TAALabel *label, const QPoint &globalPos)
{
    PopupLabelName = label->objectName();
    // The menu writes the label's section as it stands on the stage; a stage shown in
    // proportion stores it again in the form it was arranged for.
    LabelMenuContext context{m_programDir, m_services.messages, m_services.pickers, StageWidth(), true,
                             [this](const TAALabel *l) { return m_layout->fontOf(l); },
                             [this](TAALabel *l, const FontSpec &spec) { m_layout->applyFont(l, spec); },
                             [this, label] {
                                 if (!m_layout->scale().identity())
                                     m_layout->storeElement(label);
                             }};
    execLabelMenu(this, label, context, globalPos);
}

void TFrmMain::PopupMenu1Popup(const QPoint &globalPos)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("设置字体"), this, [this] {
        auto chosen = chooseFont(this, m_services.messages, m_services.pickers, m_layout->fontOf(GoButton));
        if (!chosen)
            return;
        const FontSpec spec = *chosen;
        m_layout->applyFont(GoButton, spec);
        m_layout->applyFont(StopButton, spec);
        m_layout->WriteConfigButtons();
    })->setObjectName(QStringLiteral("N28"));
    menu.addAction(QStringLiteral("边框颜色"), this, [this] {
        if (auto c = m_services.pickers.pickColor(this, toQColor(GoButton->hotTrackColor()))) {
            GoButton->setHotTrackColor(toTColor(*c));
            StopButton->setHotTrackColor(toTColor(*c));
            m_layout->WriteConfigButtons();
        }
    })->setObjectName(QStringLiteral("N29"));
    menu.addAction(QStringLiteral("底部颜色"), this, [this] {
        if (auto c = m_services.pickers.pickColor(this, toQColor(GoButton->color()))) {
            GoButton->setColor(toTColor(*c));
            StopButton->setColor(toTColor(*c));
            m_layout->WriteConfigButtons();
        }
    })->setObjectName(QStringLiteral("N31"));
    menu.addAction(QStringLiteral("隐藏按钮"), this, [this] {
        GoButton->hide();
        StopButton->hide();
        m_layout->WriteConfigButtons();
    })->setObjectName(QStringLiteral("N32"));
    menu.exec(globalPos);
}

void TFrmMain::slotFontDialog(int slot)
{
    SlotLabel *source = Labels[static_cast<size_t>(slot - 1)];
    auto chosen = chooseFont(this, m_services.messages, m_services.pickers, m_layout->fontOf(source));
    if (!chosen)
        return;
    const FontSpec spec = *chosen;
    const TextSize size = m_layout->measurer().measure(spec, m_layout->longestEntry());
    QList<SlotLabel *> visible;
    for (SlotLabel *s : Labels)
        if (s->isVisibleTo(this))
            visible << s;
    int minLeft = Labels[0]->x(), maxLeft = Labels[0]->x();
    for (SlotLabel *s : visible) {
        m_layout->applyFont(s, spec);
        s->resize(size.width, size.height);
        minLeft = std::min(minLeft, s->x());
        maxLeft = std::max(maxLeft, s->x());
    }
    // Re-centre the block: a single column centres each slot, several shift together.
    for (SlotLabel *s : visible) {
        if (minLeft == maxLeft)
            s->move(roundHalfEven((StageWidth() - s->width()) / 2.0), s->y());
        else
            s->move(s->x() - roundHalfEven((maxLeft + Labels[0]->width() + minLeft - StageWidth()) / 2.0), s->y());
    }
}

void TFrmMain::PopupMenu3Popup(int slot, const QPoint &globalPos)
{
    PopupSlotName = slot;
    const int n = m_session->state().BatchSize;
    QMenu menu(this);
    menu.addAction(QStringLiteral("设置字体"), this, [this, slot] { slotFontDialog(slot); })
        ->setObjectName(QStringLiteral("Np21"));
    QAction *transparent = menu.addAction(QStringLiteral("底色透明"));
    transparent->setObjectName(QStringLiteral("Np22"));
    transparent->setCheckable(true);
    transparent->setChecked(Labels[static_cast<size_t>(slot - 1)]->transparent());
    connect(transparent, &QAction::triggered, this, [this] {
        for (SlotLabel *s : Labels)
            s->setTransparent(!s->transparent());
    });
    menu.addAction(QStringLiteral("修改底色"), this, [this, slot] {
        if (auto c = m_services.pickers.pickColor(this, toQColor(Labels[static_cast<size_t>(slot - 1)]->color())))
            for (SlotLabel *s : Labels)
                s->setColor(toTColor(*c));
    })->setObjectName(QStringLiteral("Np23"));
    menu.addAction(QStringLiteral("位置分列编排"), this, &TFrmMain::openSlotArrangement)
        ->setObjectName(QStringLiteral("Np27"));
    if (menu.exec(globalPos) && n > 0 && n <= kMaxSlots)
        m_layout->WriteConfiglabel(n);
}

void TFrmMain::openSlotArrangement()
{
    const int n = m_session->state().BatchSize;
    if (n < 1 || n > kMaxSlots)
        return;
    // Suggestions start 50 pixels below the lower visible title.
    int base = 100;
    const TAALabel *lower = nullptr;
    for (const TAALabel *t : {FirstTitle, SecondTitle})
        if (t->isVisibleTo(this) && (!lower || t->y() > lower->y()))
            lower = t;
    if (lower)
        base = lower->y() + lower->height() + 50;
    TForm_changpo::Context context{m_programDir, n, {StageWidth(), StageHeight()},
                                   m_layout->measurer().measure(m_layout->fontOf(Labels[0]), m_layout->longestEntry()), base};
    TForm_changpo dialog(context, m_services.messages, this);
    dialog.exec();
    m_layout->ReadConfiglabel(n, true);
}

void TFrmMain::PopupMenu5Popup(const QPoint &globalPos)
{
    const int n = m_session->state().BatchSize;
    QMenu menu(this);
    menu.addAction(QStringLiteral("设置字体"), this, [this, n] {
        auto chosen = chooseFont(this, m_services.messages, m_services.pickers, m_layout->fontOf(Label21));
        if (!chosen)
            return;
        const FontSpec spec = *chosen;
        m_layout->applyFont(Label21, spec);
        Label21->move(truncToInt((StageWidth() - Label21->width()) / 2.0), Label21->y());
        m_layout->WriteConfiglabel20(n);
    })->setObjectName(QStringLiteral("Np51"));
    QAction *transparent = menu.addAction(QStringLiteral("底色透明"));
    transparent->setObjectName(QStringLiteral("Np52"));
    transparent->setCheckable(true);
    transparent->setChecked(Label21->transparent());
    connect(transparent, &QAction::triggered, this, [this, n] {
        Label21->setTransparent(!Label21->transparent());
        m_layout->WriteConfiglabel20(n);
    });
    menu.addAction(QStringLiteral("修改底色"), this, [this, n] {
        if (auto c = m_services.pickers.pickColor(this, toQColor(Label21->color()))) {
            Label21->setColor(toTColor(*c));
            m_layout->WriteConfiglabel20(n);
        }
    })->setObjectName(QStringLiteral("Np53"));
    menu.addAction(QStringLiteral("位置分列编排"), this, &TFrmMain::openBlockArrangement)
        ->setObjectName(QStringLiteral("Np54"));
    menu.exec(globalPos);
}

void TFrmMain::PopupMenu4Popup(const QPoint &globalPos)
{
    TSkyScrollText *m = RzMarqueeStatus1;
    QMenu menu(this);
    menu.addAction(QStringLiteral("设置字体"), this, [this, m] {
        auto chosen = chooseFont(this, m_services.messages, m_services.pickers, m_layout->fontOf(m));
        if (!chosen)
            return;
        const FontSpec spec = *chosen;
        m_layout->applyFont(m, spec);
        m_layout->WriteConfigMarquee();
    })->setObjectName(QStringLiteral("N61"));
    QAction *transparent = menu.addAction(QStringLiteral("底色透明"));
    transparent->setObjectName(QStringLiteral("N6"));
    transparent->setCheckable(true);
    transparent->setChecked(m->transparent());
    connect(transparent, &QAction::triggered, this, [this, m] {
        m->setTransparent(!m->transparent());
        m_layout->WriteConfigMarquee();
    });
    menu.addAction(QStringLiteral("修改底色"), this, [this, m] {
        if (auto c = m_services.pickers.pickColor(this, toQColor(m->color()))) {
            m->setColor(toTColor(*c));
            m_layout->WriteConfigMarquee();
        }
    })->setObjectName(QStringLiteral("N64"));
    menu.addAction(QStringLiteral("隐藏此栏"), this, [this, m] {
        m->setActive(false);
        m->hide();
        m_layout->WriteConfigMarquee();
    })->setObjectName(QStringLiteral("N65"));
    menu.addAction(QStringLiteral("加快滚动"), this, [this, m] {
        m->setStep(m->step() + 5);
        m_layout->WriteConfigMarquee();
    })->setObjectName(QStringLiteral("N66"));
    menu.addAction(QStringLiteral("减慢滚动"), this, [this, m] {
        if (m->step() - 5 < 0)
            return;
        m->setStep(m->step() - 5);
        m_layout->WriteConfigMarquee();
    })->setObjectName(QStringLiteral("N67"));
    QAction *one = menu.addAction(QStringLiteral("只滚动一个奖项结果"));
    one->setObjectName(QStringLiteral("N5"));
    one->setCheckable(true);
    {
        auto s = openSettings(m_programDir);
        one->setChecked(s && s->readBool("Option", "oneRzMarqueeStatus", false));
    }
    connect(one, &QAction::triggered, this, [this](bool on) {
        auto s = openSettings(m_programDir);
        if (!s)
            return m_layout->report(s.error());
        s->writeBool("Option", "oneRzMarqueeStatus", on);
        if (m_layout->commitSettings(*s))
            m_layout->ComposeMarquee();
    });
    menu.exec(globalPos);
}

void TFrmMain::openBlockArrangement()
{
    TForm_changpo20::Values current{m_layout->blockLayout().row, m_layout->blockLayout().space, Label21->y(), m_layout->blockLayout().blankLine};
    auto applyValues = [this](const TForm_changpo20::Values &v) {
        m_layout->blockLayout().row = v.rowLength;
        m_layout->blockLayout().space = v.spacing;
        m_layout->blockLayout().blankLine = v.blankLine;
        Label21->setText(toQt(composeSlotBlockText(m_session->GridWinners(), v.rowLength, v.spacing, v.blankLine, true)));
        Label21->move(truncToInt((StageWidth() - Label21->width()) / 2.0), v.top);
        return TextSize{Label21->width(), Label21->height()};
    };
    TForm_changpo20 dialog(current, {StageWidth(), StageHeight()}, applyValues, m_services.messages, this);
    dialog.exec();
    // Stored under the batch on the stage: the entries shown may still be the last batch's.
    const int n = m_session->state().BatchSize;
    if (n > kMaxSlots)
        m_layout->WriteConfiglabel20(n);
}

void TFrmMain::restoreBackupClick()
{
    if (m_session->flags().Rolling) {
        m_services.messages.notify(this, QStringLiteral("提示"), QStringLiteral("正在抽奖，请先停止抽奖再恢复备份。"));
        return;
    }
    const QString chosen = m_services.pickers.pickFolder(
        this, QStringLiteral("请选择要恢复的备份（“备份”文件夹中以日期时间命名的文件夹）"));
    if (chosen.isEmpty())
        return;
    const std::string name = std::filesystem::path(chosen.toStdString()).filename().string();
    if (!m_services.messages.ask(this, QStringLiteral("重要提示"),
                                 QStringLiteral("是否要恢复备份“%1”？当前的名单、中奖记录和奖项设置将被它替换"
                                                "（替换前会先备份当前的状态）。")
                                     .arg(QString::fromStdString(name))))
        return;
    auto before = restoreBackup(m_programDir, name, SystemClock().now());
    if (!before) {
        m_services.messages.notify(this, QStringLiteral("提示"), toQt(before.error().message));
        return;
    }
    m_control->apply(m_session->reloadSavedDraw());
    m_services.messages.notify(this, QStringLiteral("提示"),
                               QStringLiteral("已恢复备份“%1”。恢复前的状态已备份为“%2”。")
                                   .arg(QString::fromStdString(name), QString::fromStdString(before->name)));
}

void TFrmMain::openListEditor()
{
    TTextedit editor(m_programDir, *this, *m_session, {m_services.messages, m_services.pickers}, this);
    editor.exec();
}

}  // namespace tessaly

namespace tessaly {

void TFrmMain::openGuestNumbers()
{
    GuestNumbersDialog dialog(*m_session, [this](const DrawOutcome &out) { m_control->apply(out); }, this);
    if (dialog.openStep())
        dialog.exec();
}

void TFrmMain::printProofSheet()
{
    if (m_session->proof().commitment().empty()) {
        m_services.messages.notify(this, QStringLiteral("提示"), QStringLiteral("当前没有抽奖承诺，请先重新开始抽奖。"));
        return;
    }
    const QString path = m_services.pickers.pickSaveFileAt(
        this, QStringLiteral("保存抽奖公证单"), QStringLiteral("PDF文件 (*.pdf)"), QStringLiteral("pdf"),
        QString::fromStdString((m_programDir / "proof-sheet.pdf").string()));
    if (path.isEmpty())
        return;
    const ProofSheetData data =
        proofSheetData(*m_session, QString::fromStdString(m_programDir.filename().string()),
                       QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    if (tessaly::Status written = writeProofSheet(path.toStdString(), data); !written) {
        m_services.messages.notify(this, QStringLiteral("提示"), toQt(written.error().message));
        return;
    }
    m_services.opener.open(path);
}

}  // namespace tessaly

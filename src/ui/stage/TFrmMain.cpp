#include "ui/stage/TFrmMain.h"

#include "core/draw/DrawSession.h"
#include "core/event/Backup.h"
#include "core/event/EventFolder.h"
#include "core/files/Paths.h"
#include "core/settings/Settings.h"
#include "core/stage/ResultsText.h"
#include "core/text/Gbk.h"
#include "ui/common/FileOpener.h"
#include "ui/control/DrawControl.h"
#include "ui/common/FocusKeeper.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/VirtualKeys.h"
#include "ui/event/NoticeLine.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/TSkyScrollText.h"
#include "ui/effects/TStretchHandle.h"
#include "ui/proof/GuestNumbersDialog.h"
#include "ui/proof/ProofBadge.h"
#include "ui/photo/PhotoStage.h"
#include "ui/settings/TForm_awardphoset.h"
#include "ui/settings/TForm_setaward.h"
#include "ui/settings/TForm_setmirror.h"
#include "ui/settings/TForm_setmusic.h"
#include "ui/sound/SoundPlayer.h"
#include "ui/stage/CorrectionDialogs.h"
#include "ui/common/LabelMenu.h"
#include "ui/common/StageWidgets.h"
#include "ui/stage/StageLayout.h"
#include "ui/stage/TFrmFloat.h"
#include "ui/winners/TForm_float2.h"
#include "ui/stage/TFrmSplash.h"
#include "ui/special/SpecialSettings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QLabel>
#include <QToolButton>

namespace tessaly {

TFrmMain::TFrmMain(std::filesystem::path programDir, Services services, QSize stageSize, QWidget *parent)
    : QWidget(parent), m_programDir(std::move(programDir)), m_services(services), m_stage(stageSize),
      m_session(std::make_unique<DrawSession>(m_programDir, m_random, m_clock)),
      m_layout(std::make_unique<StageLayout>(*this))
{
    m_control = new DrawControl(*m_session, m_services.messages,
                                {[this](const DrawOutcome &out) { showOutcome(out); },
                                 [this] {
                                     if (m_layout->LayoutDirty)
                                         m_layout->WriteConfig();
                                 },
                                 [this](bool held) {
                                     for (SlotLabel *slot : Labels)
                                         slot->setText({});
                                     Label21->setText({});
                                     if (!held) {
                                         showSlotTexts();
                                         showGridText();
                                     }
                                 }},
                                this);
    m_control->setStageWindow(this);
    setObjectName(QStringLiteral("TFrmMain"));
    setWindowTitle(QStringLiteral("Tessaly抽奖软件 V3.55"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_sound = new SoundPlayer(m_programDir, this);
    m_special = new SpecialSettings(m_programDir, *m_session, {m_services.messages, m_services.pickers},
                                    [this](bool useLists) { m_control->resetDraw(useLists); }, this);
    createElements();
    createMenus();
    // The tool bar's status line: what went wrong quietly, without a box over the stage.
    auto *notices = new NoticeLine(m_session->notices(), ControlBar1);
    ControlBar1->layout()->addWidget(notices);
    connect(notices, &NoticeLine::changed, ControlBar1, &QWidget::adjustSize);
    connect(m_sound, &SoundPlayer::failed, this, [this](const QString &path, const QString &reason) {
        // Named as the settings store it (wav\name) when it lies in the program folder.
        QString shown = QDir(QString::fromStdString(m_programDir.string())).relativeFilePath(path);
        if (shown.startsWith(QStringLiteral("..")))
            shown = path;
        else
            shown.replace(QLatin1Char('/'), QLatin1Char('\\'));
        m_session->notices().post(soundFailureNotice(fromQt(shown), fromQt(reason)));
    });
    m_photos = new PhotoStage({this, m_session.get(), &m_services.messages, &m_services.pickers, m_programDir, readyLuck,
                               GoButton, [this] { return m_stage; }, [this](const DrawOutcome &out) { m_control->apply(out); },
                               [this](QWidget *slot) { AttachHandle(slot); }, [this] { return AdjustMode; },
                               [this] { m_layout->ArrangeAllSlots(true); }, [this] { return m_layout->slotAreasOnStage().front(); }},
                              this);
    m_photos->addModeItems(m_menuSettings);
    m_proofBadge = new ProofBadge(
        this, [this] { return overlayScale({StageWidth(), StageHeight()}, m_layout->fitToScreen()); });
    m_guestBanner = new GuestNumbersBanner(this);
    m_session->setSlotStage(this);
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer2.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, &TFrmMain::Timer1Timer);
    connect(&Timer2, &QTimer::timeout, this, &TFrmMain::Timer2Timer);
    // The window sees every key before its controls.
    qApp->installEventFilter(this);
    MessageService::markAsStage(this);
    m_focusKeeper = new FocusKeeper(this, [this] { m_startKeyDown = false; });
    if (auto settings = openSettings(m_programDir))
        m_windowMode = settings->readBool("Option", "runfrom", false);
    m_windowSettle.setSingleShot(true);
    m_windowSettle.setInterval(400);
    connect(&m_windowSettle, &QTimer::timeout, this, [this] { m_layout->windowResized(); });
}

TFrmMain::~TFrmMain()
{
    qApp->removeEventFilter(this);
    // The tool bar's notice line watches the session's notices: it goes while the session is there.
    delete ControlBar1;
}

QString TFrmMain::ScreenKey() const
{
    return QStringLiteral("%1*%2").arg(StageWidth()).arg(StageHeight());
}

TAALabel *TFrmMain::createLabel(const char *name)
{
    TAALabel *label = newStageLabel(this, name);
    connect(label, &TAALabel::mouseMoved, this, [this, label] { AttachHandle(label); });
    connect(label, &QWidget::customContextMenuRequested, this,
            [this, label](const QPoint &pos) { PopupMenu2Popup(label, label->mapToGlobal(pos)); });
    return label;
}

void TFrmMain::createElements()
{
    Image_Award = new PictureBox(this);
    Image_Award->setObjectName(QStringLiteral("Image_Award"));
    Image_logo = new PictureBox(this);
    Image_logo->setObjectName(QStringLiteral("Image_logo"));
    for (PictureBox *p : {Image_Award, Image_logo})
        connect(p, &PictureBox::mouseMoved, this, [this, p] { AttachHandle(p); });
    Image_Award->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Image_Award, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        QMenu menu(this);
        menu.setObjectName(QStringLiteral("PopupMenu_awpho"));
        menu.addAction(QStringLiteral("设置图片大小"), this, &TFrmMain::chooseAwardPictureSize)
            ->setObjectName(QStringLiteral("Npaw1"));
        menu.exec(Image_Award->mapToGlobal(pos));
    });

    FirstTitle = createLabel("FirstTitle");
    SecondTitle = createLabel("SecondTitle");
    readyLuck = createLabel("readyLuck");
    Status = createLabel("Status");
    Award = createLabel("Award");
    boss = createLabel("boss");

    RzMarqueeStatus1 = new TSkyScrollText(this);
    RzMarqueeStatus1->setObjectName(QStringLiteral("RzMarqueeStatus1"));
    RzMarqueeStatus1->setScrollDirection(ScrollDirection::sdLeft);
    RzMarqueeStatus1->setAutoSize(false);
    RzMarqueeStatus1->setInterval(30);
    connect(RzMarqueeStatus1, &TSkyScrollText::mouseMoved, this, [this] { AttachHandle(RzMarqueeStatus1); });
    RzMarqueeStatus1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RzMarqueeStatus1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu4Popup(RzMarqueeStatus1->mapToGlobal(pos)); });

    GoButton = new TRzButton(QStringLiteral("开始"), this);
    GoButton->setObjectName(QStringLiteral("GoButton"));
    StopButton = new TRzButton(QStringLiteral("停止"), this);
    StopButton->setObjectName(QStringLiteral("StopButton"));
    // The buttons never take the keyboard: a key meant for the draw must not press them.
    GoButton->setFocusPolicy(Qt::NoFocus);
    StopButton->setFocusPolicy(Qt::NoFocus);
    connect(GoButton, &QPushButton::clicked, this, &TFrmMain::GoButtonClick);
    connect(StopButton, &QPushButton::clicked, this, &TFrmMain::StopButtonClick);
    for (TRzButton *b : {GoButton, StopButton}) {
        connect(b, &TRzButton::mouseMoved, this, [this, b] { AttachHandle(b); });
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(b, &QWidget::customContextMenuRequested, this,
                [this, b](const QPoint &pos) { PopupMenu1Popup(b->mapToGlobal(pos)); });
    }

    for (int k = 1; k <= kMaxSlots; ++k) {
        auto *slot = new SlotLabel(false, this);
        slot->setObjectName(QStringLiteral("Label%1").arg(k));
        slot->hide();
        connect(slot, &SlotLabel::mouseMoved, this, [this, slot] { AttachHandle(slot); });
        slot->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(slot, &QWidget::customContextMenuRequested, this,
                [this, k, slot](const QPoint &pos) { PopupMenu3Popup(k, slot->mapToGlobal(pos)); });
        Labels[static_cast<size_t>(k - 1)] = slot;
    }
    Label21 = new SlotLabel(true, this);
    Label21->setObjectName(QStringLiteral("Label21"));
    Label21->hide();
    connect(Label21, &SlotLabel::mouseMoved, this, [this] { AttachHandle(Label21); });
    Label21->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Label21, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu5Popup(Label21->mapToGlobal(pos)); });

    ControlBar1 = new QFrame(this);
    ControlBar1->setObjectName(QStringLiteral("ControlBar1"));
    ControlBar1->setStyleSheet(QStringLiteral(
        "QFrame#ControlBar1 { background: rgba(30,30,30,200); border-radius: 4px; }"
        "QToolButton { color: white; padding: 4px 10px; font-size: 14px; border: none; }"
        "QToolButton:hover { background: rgba(255,255,255,60); }"
        "QToolButton::menu-indicator { image: none; }"));
    ControlBar1->installEventFilter(this);

    myDrag = new TStretchHandle(this);
    myDrag->setObjectName(QStringLiteral("myDrag"));
    myDrag->setGridX(1);
    myDrag->setGridY(1);
    myDrag->hide();
    connect(myDrag, &TStretchHandle::controlsChanged, this, [this] { update(); });
}

QList<TAALabel *> TFrmMain::textLabels() const
{
    return {FirstTitle, SecondTitle, readyLuck, Status, Award, boss};
}

QWidget *TFrmMain::element(const QString &name) const
{
    return findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
}

void TFrmMain::AttachHandle(QWidget *target)
{
    if (!AdjustMode || myDrag->isAttached(target))
        return;
    myDrag->detach();
    myDrag->attach(target);
    m_layout->LayoutDirty = true;
}

void TFrmMain::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    m_background.paint(p, size(), event->rect(), QColor(110, 10, 20));
}

void TFrmMain::resizeEvent(QResizeEvent *event)
{
    // In window mode the stage is the client area from the first layout on, maximised
    // too (a desktop may maximise a window as large as its screen when it shows): a
    // stage taller than the client put the status line and the buttons below it. The
    // stage is arranged anew once the operator has finished resizing.
    if (m_windowMode && !(windowState() & Qt::WindowFullScreen)) {
        m_stage = size();
        m_windowSettle.start();
    }
    QWidget::resizeEvent(event);
}

void TFrmMain::mouseMoveEvent(QMouseEvent *event)
{
    // With automatic hiding the tool bar shows only while the pointer is over it.
    if (m_autoHideBar)
        ControlBar1->setVisible(ControlBar1->geometry().contains(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

bool TFrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ControlBar1) {
        // Only mouse events are mouse events: the bar also sees child, paint and layout events.
        const auto type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
                m_barDragStart = mouse->position().toPoint();
            } else if (type == QEvent::MouseMove && (mouse->buttons() & Qt::LeftButton)) {
                ControlBar1->move(ControlBar1->pos() + mouse->position().toPoint() - m_barDragStart);
                m_layout->LayoutDirty = true;
            }
        }
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QWidget::eventFilter(watched, event);
    // The keys act in the stage and in the console, except in a text field of the console.
    auto *w = qobject_cast<QWidget *>(watched);
    const QWidget *console = m_control->operatorWindow();
    const bool onConsole = w && console != this && w->window() == console && !DrawControl::takesText(w);
    if (!w || (w->window() != this && !onConsole) || QApplication::activeModalWidget())
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    return event->type() == QEvent::KeyPress ? FormKeyDown(key) : FormKeyUp(key);
}

bool TFrmMain::FormKeyDown(QKeyEvent *event)
{
    // A key by itself; the keypad's own Enter counts as Enter.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const int vk = virtualKeyFromQt(event->key());
    if (vk != 0 && vk == m_session->options().startkey && plain) {
        if (!event->isAutoRepeat())
            m_startKeyDown = true;
        return true;  // the start key acts on release only
    }
    if (event->isAutoRepeat())
        return false;
    // Function keys act by themselves only: with a modifier the key falls
    // through to the hot keys (Shift+F5 is not "临时修改奖品").
    if (plain) switch (event->key()) {
    case Qt::Key_Escape:
        if (AdjustMode) {
            NA2Click();
        } else {
            m_autoHideBar = false;
            NB3->setChecked(false);
            ControlBar1->show();
        }
        return true;
    case Qt::Key_F6:
        NC1Click();
        return true;
    case Qt::Key_F7:
        NC2Click();
        return true;
    case Qt::Key_F1:
        m_control->restart();
        return true;
    case Qt::Key_F3:
        m_control->giveUp();
        return true;
    case Qt::Key_F4:
        m_control->supplement();
        return true;
    case Qt::Key_F5:
        NC9Click();
        return true;
    case Qt::Key_F9:
        m_sound->on(SoundMoment::ToggleKey, m_session->grade().sounds);
        return true;
    case Qt::Key_F11:
        showMinimized();
        return true;
    case Qt::Key_F12:
        close();
        return true;
    default:
        break;
    }
    if (m_special->hotKey(shortcutCode(*event)))
        return true;
    return false;
}

bool TFrmMain::FormKeyUp(QKeyEvent *event)
{
    // Only the release of a press the stage took as the start key acts; a
    // release whose press went to a closing dialog, or came with a modifier, does not.
    const int vk = virtualKeyFromQt(event->key());
    if (vk == 0 || vk != m_session->options().startkey || !m_startKeyDown)
        return false;
    if (event->isAutoRepeat())
        return true;
    m_startKeyDown = false;
    m_control->startKey(vk);
    return true;
}

void TFrmMain::closeEvent(QCloseEvent *event)
{
    DrawOutcome query = m_session->FormCloseQuery();
    bool close = query.closeAllowed;
    if (!close && query.question)
        close = m_services.messages.ask(this, toQt(query.question->title), toQt(query.question->text));
    if (!close) {
        event->ignore();
        return;
    }
    Timer1.stop();
    Timer2.stop();
    if (m_layout->LayoutDirty)
        m_layout->WriteConfig();
    m_control->apply(m_session->FormClose(x(), y()));
    event->accept();
}

void TFrmMain::FormShow()
{
    if (m_windowMode)
        m_layout->keepOnScreen();
    m_control->apply(m_session->FormCreate(m_sound->AudioReady()));
    m_control->apply(m_session->FormShow(fromQt(ScreenKey())));
    m_shown = true;
    if (m_windowMode)
        m_windowSettle.start();  // checked again once the window manager has framed the window
}

void TFrmMain::showOutcome(const DrawOutcome &outcome)
{
    for (StageAction action : outcome.actions) {
        switch (action) {
        case StageAction::EndApplication:
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
            break;
        case StageAction::ReadConfig:
            m_layout->ReadConfig();
            break;
        case StageAction::ClearSlots:
            clearSlots();
            m_photos->clearSlots();
            break;
        case StageAction::StartPhotoRolling:
            m_photos->StartPhotoRolling();
            break;
        case StageAction::StopPhotoRolling:
            m_photos->StopPhotoRolling();
            break;
        case StageAction::ShowPhotoWinners:
            m_photos->ShowPhotoWinners();
            break;
        case StageAction::LoadPhotos:
            m_photos->LoadPhotos();
            break;
        case StageAction::ShowPhotoPrompt:
            m_photos->ShowPhotoPrompt();
            break;
        case StageAction::StartTimer1:
            startTimer(Timer1);
            break;
        case StageAction::StartTimer2:
            startTimer(Timer2);
            break;
        case StageAction::StopTimers:
            Timer1.stop();
            Timer2.stop();
            break;
        case StageAction::ShowSlotTexts:
            showSlotTexts();
            break;
        case StageAction::ShowGridText:
            showGridText();
            break;
        case StageAction::ComposeMarquee:
            m_layout->ComposeMarquee();
            break;
        case StageAction::RebuildStartFromMenu:
            BuildStartFromMenu();
            break;
        case StageAction::DisableStartFromItem:
            for (QAction *item : NC5->actions())
                item->setEnabled(m_session->startFromEnabled(item->data().toInt()));
            break;
        case StageAction::CheckSlotLayout: {
            const int n = m_session->state().BatchSize;
            auto settings = openSettings(m_programDir);
            if (n > 0 && (!settings || !slotLayoutValid(*settings, n, m_layout->longestEntry(), m_layout->measurer())))
                m_layout->ArrangeSlots(n);
            break;
        }
        case StageAction::ShowResults:
            NC1Click();
            break;
        case StageAction::ShowWinnersWindow:
            NC2Click();
            break;
        case StageAction::AutoLayoutMain:
            m_layout->AutoLayoutMain();
            break;
        case StageAction::ShowTips: {
            auto *tips = new TFrmSplash(m_programDir, m_services.messages, false, this);
            tips->show();
            break;
        }
        case StageAction::StartBackgroundMusic:
            m_sound->on(SoundMoment::StageShown, m_session->grade().sounds);
            break;
        case StageAction::PlayStartSound:
            m_sound->on(SoundMoment::RollingStarted, m_session->grade().sounds);
            break;
        case StageAction::PlayStopSound:
            m_sound->on(SoundMoment::RollingStopped, m_session->grade().sounds);
            break;
        case StageAction::OpenFile:
            m_services.opener.open(QString::fromStdString(outcome.file.string()));
            break;
        default:
            break;  // sounds, photos and the results windows come with their own features
        }
    }
    showCaptions();
    showMirrorState();
}

void TFrmMain::setMirror(std::unique_ptr<EventMirror> mirror)
{
    if (m_captionBase.isEmpty())
        m_captionBase = windowTitle();
    m_session->setMirror(mirror.get());
    m_mirror = std::move(mirror);  // the mirror left goes only once the session no longer copies to it
    showMirrorState();
}

void TFrmMain::showMirrorState()
{
    // Writes outside the saves of the draw (settings, lists) reach the mirror here.
    m_session->syncMirror();
    // A failed save and the mirror's state go to the console when there is one, otherwise to
    // the tool bar's status line (shown at once when something is wrong), never to the stage's captions.
    const bool console = m_control->operatorWindow() != this;
    if (m_mirror || console) {
        const CommitCount mirrored = m_mirror ? readCommitCount(m_mirror->folder()) : CommitCount{};
        m_commitCounts = {readCommitCount(m_programDir).count, mirrored.read ? mirrored.count : -1};
    }
    QString state;
    if (m_session->winnersWithheld())
        state = QStringLiteral("抽奖结果保存失败，中奖名单在保存成功后才显示");
    if (m_mirror) {
        const QString counters =
            QStringLiteral("（本机第%1次保存，备份第%2次）")
                .arg(m_commitCounts.event)
                .arg(m_commitCounts.mirror < 0 ? QStringLiteral("?") : QString::number(m_commitCounts.mirror));
        state += (state.isEmpty() ? QString() : QStringLiteral("；")) +
                 (m_session->mirrorInterrupted()
                      ? QStringLiteral("备份中断：") + toQt(m_session->mirrorReason()) + counters
                      : QStringLiteral("已备份") + counters);
    }
    if (!m_captionBase.isEmpty())
        setWindowTitle(console || state.isEmpty() ? m_captionBase : m_captionBase + QStringLiteral(" [") + state + QStringLiteral("]"));
    emit mirrorStateShown();
    if (!StatusLine)
        return;
    StatusLine->setText(console ? QString() : state);
    RetryButton->setVisible(!console && m_session->winnersWithheld());
    ControlBar1->adjustSize();
    if (!console && (m_session->winnersWithheld() || m_session->mirrorInterrupted()))
        ControlBar1->show();
}

void TFrmMain::showCaptions()
{
    const StageCaptions &c = m_session->captions();
    Status->setCaption(toQt(c.Status));
    Award->setCaption(toQt(c.Award));
    boss->setCaption(toQt(c.boss));
    m_layout->placeCaptions();
    if (c.AwardPicture.empty() || !storedFileExists(m_programDir, c.AwardPicture))
        Image_Award->clearPicture();
    else
        Image_Award->loadPicture(QString::fromStdString(resolveStoredPath(m_programDir, c.AwardPicture).string()));
    if (c.readyLuck)
        readyLuck->setCaption(toQt(*c.readyLuck));
    readyLuck->setVisible(c.readyLuckVisible);
    if (!c.GoButton.empty())
        GoButton->setText(toQt(c.GoButton));
    m_proofBadge->showProof(c);
    m_guestBanner->showNumbers(QString::fromStdString(c.guestNumbers));
}

void TFrmMain::clearSlots()
{
    for (SlotLabel *slot : Labels) {
        slot->setText({});
        slot->hide();
    }
    Label21->setText({});
    Label21->hide();
    m_slotsOnStage = 0;
}

void TFrmMain::showSlotTexts()
{
    const auto &texts = m_session->SlotTexts();
    for (size_t k = 0; k < Labels.size(); ++k)
        Labels[k]->setText(toQt(texts[k]));
}

void TFrmMain::showGridText()
{
    Label21->setText(toQt(m_session->GridText()));
}

void TFrmMain::startTimer(QTimer &timer)
{
    timer.start(std::max(1, m_session->grade().IntervalTime));
}

void TFrmMain::RollTick()
{
    if (Timer1.isActive())
        Timer1Timer();
    else if (Timer2.isActive())
        Timer2Timer();
}

void TFrmMain::Timer1Timer()
{
    ++m_tickCount;
    QElapsedTimer elapsed;
    elapsed.start();
    if (m_session->Timer1Timer())
        showSlotTexts();
    m_lastTickMicros = elapsed.nsecsElapsed() / 1000;
}

void TFrmMain::Timer2Timer()
{
    ++m_tickCount;
    QElapsedTimer elapsed;
    elapsed.start();
    if (m_session->Timer2Timer())
        showGridText();
    m_lastTickMicros = elapsed.nsecsElapsed() / 1000;
}

void TFrmMain::NC1Click()
{
    if (m_results)
        m_results->close();
    const WinnerArray &winners = m_session->AwardWinners();
    m_results = new TFrmFloat(m_programDir, {m_services.messages, m_services.pickers}, m_stage,
                              {m_session->awards(), WinnerLists(winners.data(), winners.size()), Award->isVisible()},
                              this);
    m_results->setAttribute(Qt::WA_DeleteOnClose);
    m_results->notice = postNotice();
    auto settings = openSettings(m_programDir);
    if (settings && settings->readBool("Option", "runfrom", false)) {
        m_results->show();
    } else {
        m_results->setWindowFlag(Qt::FramelessWindowHint);
        m_results->setGeometry(QRect(geometry().topLeft(), m_stage));  // on the stage's screen
        m_results->showFullScreen();
    }
    m_results->ShowResultsWindow();
    m_sound->followWindow(m_results, m_session->grade().sounds);
}

std::function<void(const QString &)> TFrmMain::postNotice()
{
    return [session = m_session.get()](const QString &text) { session->notices().post(fromQt(text)); };
}

void TFrmMain::NC2Click()
{
    if (m_winners)
        m_winners->close();
    const WinnerArray &display = m_session->AwardWinners();
    const WinnerArray &names = m_session->AwardWinnerNames();
    m_winners = new TForm_float2(m_programDir, {m_services.messages, m_services.pickers}, m_stage,
                                 {m_session->awards(), WinnerLists(display.data(), display.size()),
                                  WinnerLists(names.data(), names.size()), Award->isVisible(),
                                  m_session->grade().ScrollDown, m_session->flags().PhotoMode},
                                 m_session->state().BatchAward, this);
    m_winners->setAttribute(Qt::WA_DeleteOnClose);
    m_winners->notice = postNotice();
    if (!m_windowMode)
        m_winners->move(geometry().topLeft());  // on the stage's screen
    if (m_session->photosLoaded())
        m_winners->photoCache().setSource(photoTableSource(m_photos->table(), m_session->lists().NameList));
    m_winners->show();
    m_winners->FormShow();
    m_sound->followWindow(m_winners, m_session->grade().sounds);
}

void TFrmMain::NC9Click()
{
    stopRollingForSettings();
    TForm_prizename dialog(*m_session, m_services.messages, this);
    dialog.exec();
}

void TFrmMain::BuildStartFromMenu()
{
    NC5->clear();
    const AwardTable &awards = m_session->awards();
    for (int i = 0; i < awards.AwardCount; ++i) {
        QAction *item = NC5->addAction(toQt(awards[i].name), this, [this, i] { m_control->startFromAward(i); });
        item->setObjectName(QStringLiteral("NC5Z%1").arg(i));
        item->setData(i);
    }
}

void TFrmMain::GoButtonClick()
{
    m_control->start();
}

void TFrmMain::StopButtonClick()
{
    m_control->stop();
}

void TFrmMain::stopRollingForSettings()
{
    m_control->stopForSettings();
}

void TFrmMain::layoutSlots(int batchSize)
{
    m_layout->ReadConfiglabel(batchSize, false);
}

void TFrmMain::layoutTextBlock(int batchSize)
{
    m_layout->ReadConfiglabel20(batchSize, false);
}

void TFrmMain::arrangeAllSlots()
{
    m_layout->ArrangeAllSlots(false);
}

bool TFrmMain::photoMode() const
{
    return m_session->flags().PhotoMode;
}

void TFrmMain::resetDrawAfterSettings()
{
    m_control->resetDraw(false);
}

int TFrmMain::recordedWinners() const
{
    return m_session->recordedWinners();
}

bool TFrmMain::keepBackup()
{
    DrawOutcome out;
    const bool kept = m_session->keepBackup(out);
    for (const Notice &n : out.notices)
        m_services.messages.notify(this, toQt(n.title), toQt(n.text));
    return kept;
}

void TFrmMain::reloadAfterSettings()
{
    m_control->apply(m_session->ReloadOptions());
}

void TFrmMain::openAdvancedSettings(QWidget *parent)
{
    m_special->openAdvanced(parent);
}

void TFrmMain::saveLayoutIfDirty()
{
    if (m_layout->LayoutDirty)
        m_layout->WriteConfig();
}

void TFrmMain::setElementVisible(const QString &name, bool visible)
{
    if (QWidget *w = element(name))
        w->setVisible(visible);
    if (name == QLatin1String("RzMarqueeStatus1"))
        RzMarqueeStatus1->setActive(visible);
}

int TFrmMain::elementTop(const QString &name) const
{
    const QWidget *w = element(name);
    return w ? w->y() : 0;
}

int TFrmMain::elementLeft(const QString &name) const
{
    const QWidget *w = element(name);
    return w ? w->x() : 0;
}

void TFrmMain::setElementLeft(const QString &name, int left)
{
    if (QWidget *w = element(name))
        w->move(left, w->y());
}

int TFrmMain::storedTop(const QString &name) const
{
    const QWidget *w = element(name);
    return w ? m_layout->storedRect(w).top : 0;
}

int TFrmMain::storedLeft(const QString &name, int left) const
{
    const QWidget *w = element(name);
    return w ? m_layout->scale().toStored({left, w->y(), w->width(), w->height()}).left : left;
}

int TFrmMain::titleTextWidth(const QString &name, const QString &caption) const
{
    const QWidget *w = element(name);
    return w ? QFontMetrics(w->font()).horizontalAdvance(caption) : 0;
}

void TFrmMain::chooseAwardPictureSize()
{
    TForm_awardphoset dialog(m_programDir, Image_Award->size(), {StageWidth(), StageHeight()}, m_services.messages, this);
    if (dialog.exec() == QDialog::Accepted) {
        // The picture's own section keeps the size for the next start.
        Image_Award->resize(dialog.pictureSize());
        m_layout->LayoutDirty = true;
        m_layout->WriteConfig();
    }
}

void TFrmMain::openAwardSettings()
{
    TForm_setaward dialog(m_programDir, *this, m_services.messages, this);
    dialog.exec();
}

void TFrmMain::openSoundSettings()
{
    TForm_setmusic dialog(m_programDir, *m_session, *m_sound, m_services.messages, m_services.pickers, this);
    dialog.exec();
}

void TFrmMain::openMirrorSettings()
{
    // A rehearsal's draw is thrown away, and its copy carries the event's ID: its
    // mirror would offer a takeover of winners nobody drew.
    if (isRehearsalCopy(m_programDir)) {
        m_services.messages.notify(m_control->operatorWindow(), QStringLiteral("提示"),
                                   QStringLiteral("彩排时不做同步备份，彩排的抽奖结果不会保留。请在正式运行时设置“同步备份到”。"));
        return;
    }
    TForm_setmirror dialog(m_programDir, m_session->mirrorFolder(), m_services.messages, m_services.pickers,
                           m_control->operatorWindow());
    if (dialog.exec() != QDialog::Accepted || dialog.chosen() == m_session->mirrorFolder())
        return;
    setMirror(dialog.chosen().empty() ? nullptr : std::make_unique<EventMirror>(m_programDir, dialog.chosen()));
}


}  // namespace tessaly

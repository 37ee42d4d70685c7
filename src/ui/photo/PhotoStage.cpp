#include "ui/photo/PhotoStage.h"

#include "core/draw/DrawSession.h"
#include "core/event/Backup.h"
#include "core/event/OperatorNotices.h"
#include "core/files/Paths.h"
#include "core/participants/PhotoCache.h"
#include "core/settings/Encodings.h"
#include "core/settings/Settings.h"
#include "core/text/Gbk.h"
#include "ui/common/Fonts.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/QtValues.h"
#include "ui/effects/TAALabel.h"
#include "ui/photo/PhotoSlot.h"
#include "ui/photo/TForm_changpspho.h"
#include "ui/common/LabelMenu.h"

#include <QActionGroup>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace tessaly {

namespace {

constexpr int kMaxListedFailures = 20;

QString colourStyle(TColor colour)
{
    return QStringLiteral("color: %1; background: transparent;").arg(toQColor(colour).name());
}

constexpr int kPromptMargin = 20;  // kept free on either side of the load prompt

}  // namespace

PhotoStage::PhotoStage(PhotoStageHost host, QObject *parent) : QObject(parent), m_host(std::move(host))
{
    for (QLabel **label : {&Label_loadpho, &Label_loadpho2}) {
        *label = new QLabel(m_host.stage);
        (*label)->setAttribute(Qt::WA_TranslucentBackground);
        (*label)->hide();
    }
    Label_loadpho->setObjectName(QStringLiteral("Label_loadpho"));
    Label_loadpho2->setObjectName(QStringLiteral("Label_loadpho2"));
    m_rollTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_rollTimer, &QTimer::timeout, this, &PhotoStage::PaintRollingPhotos);
    m_blank = QImage(4, 3, QImage::Format_RGB32);
    m_blank.fill(QColor(60, 60, 60));
}

PhotoStage::~PhotoStage()
{
    m_cancelLoad = true;
    stopCacheWriter();
}

void PhotoStage::stopCacheWriter()
{
    if (!m_cacheWriter.joinable())
        return;
    m_cancelCacheWrite = true;
    m_cacheWriter.join();
    m_cancelCacheWrite = false;
}

int PhotoStage::stageWidth() const { return m_host.stageSize().width(); }
int PhotoStage::stageHeight() const { return m_host.stageSize().height(); }

QString PhotoStage::screenKey() const
{
    return QStringLiteral("%1*%2").arg(stageWidth()).arg(stageHeight());
}

// ------------------------------------------------------------------ modes

void PhotoStage::addModeItems(QMenu *menu)
{
    auto *group = new QActionGroup(menu);
    NB6 = menu->addAction(QStringLiteral("文字(号码)抽奖模式"), this, &PhotoStage::NB6Click);
    NB6->setObjectName(QStringLiteral("NB6"));
    NB7 = menu->addAction(QStringLiteral("图片(照片)抽奖模式"), this, &PhotoStage::NB7Click);
    NB7->setObjectName(QStringLiteral("NB7"));
    for (QAction *a : {NB6, NB7}) {
        a->setCheckable(true);
        group->addAction(a);
    }
    connect(menu, &QMenu::aboutToShow, this, &PhotoStage::syncModeItems);
    syncModeItems();
}

void PhotoStage::syncModeItems()
{
    if (!NB6)
        return;
    const bool photo = m_host.session->flags().PhotoMode;
    NB6->setChecked(!photo);
    NB7->setChecked(photo);
}

bool PhotoStage::confirmModeSwitch()
{
    const int recorded = m_host.session->recordedWinners();
    return recorded == 0 ||
           m_host.messages->ask(m_host.stage, QStringLiteral("重要提示"),
                                QStringLiteral("改变抽奖模式后所有名单和奖项都将回到奖池。") +
                                    toQt(backupNotice(m_host.session->programDir(), recorded)) +
                                    QStringLiteral("是否继续？"));
}

void PhotoStage::NB7Click()
{
    if (m_host.session->flags().PhotoMode || m_loading || !confirmModeSwitch())
        return syncModeItems();
    TAALabel *ready = m_host.readyLuck;
    const QString readyCaption = ready->caption();
    ready->setCaption(QStringLiteral("正在改变抽奖模式，请等待..."));
    ready->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    freePhotos();
    m_host.apply(m_host.session->switchPhotoMode(true));
    ready->setCaption(readyCaption);
    syncModeItems();
}

void PhotoStage::NB6Click()
{
    if (!m_host.session->flags().PhotoMode || m_loading || !confirmModeSwitch())
        return syncModeItems();
    TAALabel *ready = m_host.readyLuck;
    const QString readyCaption = ready->caption();
    ready->setCaption(QStringLiteral("正在改变抽奖模式，请等待..."));
    ready->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_rollTimer.stop();
    m_rolling = false;
    Label_loadpho->hide();
    Label_loadpho2->hide();
    clearSlots();
    freePhotos();
    ready->setCaption(readyCaption);
    m_host.apply(m_host.session->switchPhotoMode(false));
    if (m_host.arrangeTextSlots)
        m_host.arrangeTextSlots();
    syncModeItems();
}

void PhotoStage::ShowPhotoPrompt()
{
    m_host.readyLuck->hide();
    QFont font = m_host.readyLuck->font();
    if (font.pointSize() >= 11)
        font.setPointSize(font.pointSize() - 10);
    const QString prompt = QStringLiteral("图片抽奖模式。请先按加载按钮载入参选图片!");
    // A caption font made for the projector can be too wide for the prompt: it is made smaller to fit.
    Label_loadpho->setFont(fontFittingWidth(font, prompt, stageWidth() - 2 * kPromptMargin));
    Label_loadpho->setStyleSheet(colourStyle(m_host.readyLuck->fontColor()));
    Label_loadpho->setText(prompt);
    Label_loadpho->adjustSize();
    // Centred on the stage, which is the screen in full-screen mode and the window otherwise.
    Label_loadpho->move(roundHalfEven((stageWidth() - Label_loadpho->width()) / 2.0), stageHeight() * 2 / 5);
    Label_loadpho->show();
    Label_loadpho->raise();
    Label_loadpho2->hide();
    m_host.goButton->setText(QStringLiteral("加载"));
    m_host.goButton->show();
    syncModeItems();
}

// ------------------------------------------------------------------- load

void PhotoStage::freePhotos()
{
    stopCacheWriter();  // it reads the table's pixels
    m_rollTimer.stop();
    for (PhotoSlot *s : m_slots)
        s->setPicture(nullptr, false);
    m_images.clear();
    m_images.shrink_to_fit();
    m_table.clear();
}

QImage PhotoStage::placeholder(const std::string &name, DecodeBox box) const
{
    QImage image(std::max(box.width, 40), std::max(box.height, 30), QImage::Format_RGB32);
    image.fill(QColor(70, 70, 78));
    QPainter p(&image);
    p.setPen(QColor(235, 235, 235));
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(std::max(10, image.height() / 6));
    p.setFont(font);
    p.drawText(image.rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, toQt(name));
    return image;
}

void PhotoStage::buildImages(const std::vector<PhotoFailure> &failures, DecodeBox box)
{
    const auto &names = m_host.session->lists().NameList;
    m_images.assign(static_cast<size_t>(m_table.size()), QImage());
    for (int i = 0; i < m_table.size(); ++i) {
        if (const PhotoView *photo = m_table.photo(i))
            // Wraps the decoded pixels as they are: RGB32, no copy, no conversion.
            m_images[static_cast<size_t>(i)] =
                QImage(photo->bits(), photo->width, photo->height, photo->bytesPerLine(), QImage::Format_RGB32);
    }
    for (const auto &f : failures)
        if (f.index >= 0 && f.index < static_cast<int>(m_images.size()) && static_cast<size_t>(f.index) < names.size())
            m_images[static_cast<size_t>(f.index)] = placeholder(names[static_cast<size_t>(f.index)], box);
}

void PhotoStage::reportFailures(const std::vector<PhotoFailure> &failures)
{
    if (failures.empty())
        return;
    QString text = QStringLiteral("以下 %1 张参选图片无法加载，将以名字代替显示：").arg(failures.size());
    for (size_t i = 0; i < failures.size() && i < kMaxListedFailures; ++i)
        text += QStringLiteral("\n%1（%2）").arg(toQt(failures[i].file), toQt(failures[i].reason));
    if (failures.size() > kMaxListedFailures)
        text += QStringLiteral("\n……");
    m_host.messages->notify(m_host.stage, QStringLiteral("提示"), text);
}

void PhotoStage::LoadPhotos()
{
    if (m_loading)
        return;
    m_loading = true;
    m_cancelLoad = false;
    DrawSession &session = *m_host.session;
    m_host.goButton->setEnabled(false);
    m_host.readyLuck->hide();
    Label_loadpho->setText(QStringLiteral("正在加载图片："));
    Label_loadpho->adjustSize();
    Label_loadpho->move(roundHalfEven((stageWidth() - Label_loadpho->width()) / 2.0), Label_loadpho->y());
    Label_loadpho2->setFont(Label_loadpho->font());
    Label_loadpho2->setStyleSheet(Label_loadpho->styleSheet());
    Label_loadpho2->setText(QStringLiteral("0"));
    Label_loadpho2->adjustSize();
    Label_loadpho2->move(Label_loadpho->x() + Label_loadpho->width() + 10, Label_loadpho->y());
    for (QLabel *l : {Label_loadpho, Label_loadpho2}) {
        l->show();
        l->raise();
    }

    if (!missingPhotos(m_host.programDir, session.lists().NameList).empty()) {
        bool rescanned = false;
        m_host.apply(session.rescanPhotoFolder(rescanned));
    }
    freePhotos();

    const std::vector<std::string> names = session.lists().NameList;
    DecodeBox box{400, 300};
    if (auto settings = openSettings(m_host.programDir))
        box = photoDecodeBox(*settings, session.awards(), stageWidth(), stageHeight(), fromQt(screenKey()),
                             m_host.stage->devicePixelRatioF());
    box = boxWithinBudget(box, static_cast<int>(names.size()), kPhotoTableBudget);

    // Photos unchanged since an earlier load come from the user's cache, decoded for this box.
    std::optional<PhotoCache> cache;
    if (const auto root = userCacheFolder(); !root.empty())
        cache.emplace(root, m_host.programDir, box);

    std::vector<PhotoFailure> failures;
    std::atomic<int> progress{0};
    std::atomic<bool> done{false};
    const int threads = std::max(1u, std::thread::hardware_concurrency());
    std::thread worker([&] {
        failures = m_table.load(m_host.programDir, names, box, threads, &progress, &m_cancelLoad,
                                cache ? &*cache : nullptr);
        done = true;
    });
    // The window stays alive while the workers decode; the count shows how far they are.
    QEventLoop loop;
    QTimer tick;
    connect(&tick, &QTimer::timeout, &loop, [&] {
        Label_loadpho2->setText(QString::number(progress.load()));
        Label_loadpho2->adjustSize();
        if (done)
            loop.quit();
    });
    tick.start(30);
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    buildImages(failures, box);
    if (cache && !m_cancelLoad)
        m_cacheWriter = std::jthread([this, cache = *cache] {
            // Behind the stage: the roll and the window keep the processor first.
            ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 10);
            auto written = writePhotoCache(cache, m_table, 1, &m_cancelCacheWrite);
            // Only the next load is slower for it: named in the notice place, the draw goes on.
            if (!written)
                QMetaObject::invokeMethod(
                    this, [this, text = photoCacheFailureNotice(written.error())] { m_host.session->notices().post(text); },
                    Qt::QueuedConnection);
        });

    Label_loadpho->setText(QStringLiteral("加载图片完成 "));
    Label_loadpho->hide();
    Label_loadpho2->hide();
    session.setPhotosLoaded(true);
    bool goVisible = true;
    if (auto settings = openSettings(m_host.programDir))
        goVisible = settings->readBool("GoButton", "Visible", true);
    m_host.goButton->setVisible(goVisible);
    m_host.goButton->setEnabled(true);
    m_loading = false;
    // The captions ("开始", the ready caption), and whether the photos suffice for the awards.
    m_host.apply(names.empty() ? DrawOutcome{} : session.shortageNotice());
    if (names.empty())
        m_host.messages->notify(m_host.stage, QStringLiteral("提示"),
                                QStringLiteral("photo文件夹中没有参选图片(JPG)，请先在名单编辑中导入图片。"));
    reportFailures(failures);
}

QImage PhotoStage::photo(int entry) const
{
    if (entry < 0 || entry >= static_cast<int>(m_images.size()))
        return {};
    return m_images[static_cast<size_t>(entry)];
}

const QImage *PhotoStage::imageFor(int entry) const
{
    if (entry < 0 || entry >= static_cast<int>(m_images.size()) || m_images[static_cast<size_t>(entry)].isNull())
        return &m_blank;
    return &m_images[static_cast<size_t>(entry)];
}

// ------------------------------------------------------------------ slots

PhotoSlot *PhotoStage::slot(int i) const
{
    return i >= 1 && i <= slotCount() ? m_slots[static_cast<size_t>(i - 1)] : nullptr;
}

PhotoCaption *PhotoStage::caption(int i) const
{
    return i >= 1 && i <= static_cast<int>(m_captions.size()) ? m_captions[static_cast<size_t>(i - 1)] : nullptr;
}

const QImage *PhotoStage::winnerImage(int entry, QSize slotSize)
{
    const QImage *rolled = imageFor(entry);
    const qreal ratio = m_host.stage->devicePixelRatioF();
    const DecodeBox box{qRound(slotSize.width() * ratio), qRound(slotSize.height() * ratio)};
    const auto &names = m_host.session->lists().NameList;
    // The table keeps photos within its memory budget; a winner whose slot is
    // larger is decoded again from the file at the slot's size.
    if (entry < 0 || static_cast<size_t>(entry) >= names.size() || !m_table.photo(entry) ||
        (rolled->width() >= box.width && rolled->height() >= box.height))
        return rolled;
    auto decoded = loadJpegFile(photoFile(m_host.programDir, names[static_cast<size_t>(entry)]), box);
    if (!decoded)
        return rolled;
    const RgbImage sharp = shrinkToCover(std::move(*decoded), box);
    m_winnerImages.push_back(
        QImage(sharp.bits(), sharp.width, sharp.height, sharp.bytesPerLine(), QImage::Format_RGB32).copy());
    return &m_winnerImages.back();
}

void PhotoStage::clearSlots()
{
    m_winnerImages.clear();
    m_rollTimer.stop();
    m_rolling = false;
    for (PhotoSlot *s : m_slots)
        delete s;
    for (PhotoCaption *c : m_captions)
        delete c;
    m_slots.clear();
    m_captions.clear();
    m_slotsFor = 0;
}

void PhotoStage::BuildPhotoSlots(int n, bool recreate)
{
    n = std::clamp(n, 0, kMaxPhotoSlots);
    auto settings = openSettings(m_host.programDir);
    if (!settings) {
        m_host.messages->notify(m_host.stage, QStringLiteral("提示"), toQt(settings.error().message));
        return;
    }
    // Fitted to the screen, a layout arranged for another size is shown in proportion, never rewritten.
    const bool fit = settings->readBool("Option", kFitToScreenKey, true);
    const TextSize stage{stageWidth(), stageHeight()};
    if (n >= 1 && !(fit && parseScreenKey(settings->readString(photoSectionAll(n), "screen")))) {
        const StageRect area = m_host.slotArea ? m_host.slotArea() : StageRect{};
        auto replaced = ensurePhotoSlotLayout(*settings, n, stageWidth(), stageHeight(), fromQt(screenKey()), area);
        if (replaced && *replaced) {
            if (Status saved = settings->commit(); !saved)
                m_host.messages->notify(m_host.stage, QStringLiteral("提示"), toQt(saved.error().message));
        }
    }
    m_storedLayout = readPhotoSlotLayout(*settings, n);
    m_photoScale = StageScale::forStored(m_storedLayout.screen, stage, fit);
    m_layout = photoSlotsToStage(m_storedLayout, n, m_photoScale);
    if (std::string notice = photoSlotLayoutNotice(m_layout, n); !notice.empty())
        m_host.session->notices().post(std::move(notice));
    if (recreate) {
        clearSlots();
        m_slots.reserve(static_cast<size_t>(n));
        m_captions.reserve(static_cast<size_t>(n));
        for (int i = 1; i <= n; ++i) {
            auto *s = new PhotoSlot(i, m_host.stage);
            connect(s, &PhotoSlot::mouseMoved, this, [this, s] {
                // In adjustment mode the captions give way to the handle.
                if (m_host.adjustMode && m_host.adjustMode()) {
                    if (!m_captions.empty() && !m_captions.front()->text().isEmpty())
                        for (PhotoCaption *c : m_captions) {
                            c->clear();
                            c->hide();
                        }
                    m_host.attachHandle(s);
                }
            });
            connect(s, &QWidget::customContextMenuRequested, this,
                    [this, s](const QPoint &pos) { showSlotMenu(s, s->mapToGlobal(pos)); });
            auto *c = new PhotoCaption(i, m_host.stage);
            connect(c, &QWidget::customContextMenuRequested, this,
                    [this, s, c](const QPoint &pos) { showSlotMenu(s, c->mapToGlobal(pos)); });
            m_slots.push_back(s);
            m_captions.push_back(c);
        }
        // Behind the captions, titles and buttons, in front of the background.
        for (auto it = m_slots.rbegin(); it != m_slots.rend(); ++it)
            (*it)->lower();
        m_slotsFor = n;
    }
    for (int i = 1; i <= slotCount(); ++i) {
        const PhotoRect r = m_layout.rect(i);
        m_slots[static_cast<size_t>(i - 1)]->setGeometry(r.left, r.top, r.width, r.height);
        m_slots[static_cast<size_t>(i - 1)]->show();
    }
    applyCaptionFont(m_layout.captionFont);
}

void PhotoStage::applyCaptionFont(const FontSpec &font)
{
    const QString style = colourStyle(font.color);
    const QFont qfont = toQFont(font);
    for (PhotoCaption *c : m_captions) {
        c->setFont(qfont);
        c->setStyleSheet(style);
        c->adjustSize();
    }
}

void PhotoStage::placeCaption(int i)
{
    PhotoSlot *s = slot(i);
    PhotoCaption *c = caption(i);
    if (!s || !c)
        return;
    c->adjustSize();
    const SlotPosition p = photoCaptionPosition({s->x(), s->y(), s->width(), s->height()}, {c->width(), c->height()});
    c->move(p.left, p.top);
}

void PhotoStage::StartPhotoRolling()
{
    DrawSession &session = *m_host.session;
    BuildPhotoSlots(session.state().BatchSize, true);
    m_winnerImages.clear();
    m_rolling = true;
    PaintRollingPhotos();  // at least one paint, at once
    m_rollTimer.start(std::max(1, session.grade().IntervalTime));
}

void PhotoStage::PaintRollingPhotos()
{
    // A tick queued before the stop must not cover the winners.
    if (!m_rolling || !m_host.session->flags().Rolling)
        return;
    QElapsedTimer elapsed;
    elapsed.start();
    const DrawSession &session = *m_host.session;
    const std::vector<int> picked =
        pickRollingPhotos(session.PoolList(), session.state().RollCount, slotCount(), m_random);
    for (size_t i = 0; i < picked.size() && i < m_slots.size(); ++i)
        m_slots[i]->setPicture(imageFor(picked[i]), false);
    m_lastPaintMicros = elapsed.nsecsElapsed() / 1000;
}

void PhotoStage::StopPhotoRolling()
{
    m_rollTimer.stop();
    m_rolling = false;
}

void PhotoStage::ShowPhotoWinners()
{
    const DrawSession &session = *m_host.session;
    const std::vector<int> &winners = session.lastBatch();
    const bool captions = session.options().canshowtxtpho;
    const auto &display = session.lists().DisplayList;
    for (int i = 1; i <= slotCount(); ++i) {
        PhotoSlot *s = slot(i);
        PhotoCaption *c = caption(i);
        if (i > static_cast<int>(winners.size())) {
            // Fewer entries were left than the batch asked for.
            s->hide();
            c->hide();
            continue;
        }
        const int entry = winners[static_cast<size_t>(i - 1)];
        s->setPicture(winnerImage(entry, s->size()), true);
        if (captions && entry >= 0 && static_cast<size_t>(entry) < display.size()) {
            c->setText(toQt(display[static_cast<size_t>(entry)]));
            placeCaption(i);
            c->show();
            c->raise();
        } else {
            c->clear();
            c->hide();
        }
    }
}

void PhotoStage::SavePhotoSlotPositions(int n)
{
    if (m_slots.empty() || n != m_slotsFor)
        return;
    auto settings = openSettings(m_host.programDir);
    if (!settings)
        return m_host.messages->notify(m_host.stage, QStringLiteral("提示"), toQt(settings.error().message));
    // Stored for the screen the layout was arranged for: as it was read when no slot moved.
    std::vector<StageRect> shown;
    bool moved = false;
    for (PhotoSlot *s : m_slots) {
        shown.push_back({s->x(), s->y(), s->width(), s->height()});
        const PhotoRect was = m_layout.rect(s->index());
        moved = moved || shown.back() != StageRect{was.left, was.top, was.width, was.height};
    }
    const std::vector<StageRect> back = photoSlotsToStored(shown, m_photoScale);
    std::vector<PlacedPhotoSlot> placed;
    for (size_t i = 0; i < m_slots.size(); ++i) {
        const int index = m_slots[i]->index();
        if (!moved && !m_photoScale.identity()) {
            placed.push_back({index, m_storedLayout.rect(index)});
            continue;
        }
        const StageRect &r = back[i];
        placed.push_back({index, {r.left, r.top, r.width, r.height}});
    }
    writePhotoSlotPositions(*settings, n, placed,
                            m_photoScale.identity() ? fromQt(screenKey()) : m_photoScale.referenceKey());
    if (Status saved = settings->commit(); !saved) {
        m_host.messages->notify(m_host.stage, QStringLiteral("提示"), toQt(saved.error().message));
    } else {
        m_storedLayout = readPhotoSlotLayout(*settings, n);
        m_layout = photoSlotsToStage(m_storedLayout, n, m_photoScale);
    }
}

// ------------------------------------------------------------ popup menu

void PhotoStage::showSlotMenu(PhotoSlot *, const QPoint &globalPos)
{
    QMenu menu(m_host.stage);
    menu.setObjectName(QStringLiteral("PopupMenu_pho"));
    menu.addAction(QStringLiteral("位置分列编排"), this, &PhotoStage::Npp1Click)->setObjectName(QStringLiteral("Npp1"));
    menu.addAction(QStringLiteral("设置文字字体"), this, &PhotoStage::Npp3Click)->setObjectName(QStringLiteral("Npp3"));
    menu.exec(globalPos);
}

void PhotoStage::Npp1Click()
{
    const int n = m_slotsFor;
    if (n < 1)
        return;
    TForm_changpspho::Context context;
    if (PhotoSlot *first = slot(1)) {
        context.fields.width = first->width();
        context.fields.height = first->height();
    }
    context.fields.columns.clear();
    context.fields.top.clear();
    if (auto settings = openSettings(m_host.programDir)) {
        context.fields.ratioWidth = toQt(settings->readString("Option", "phowidth", "35"));
        context.fields.ratioHeight = toQt(settings->readString("Option", "phoheight", "53"));
    }
    const auto &names = m_host.session->lists().NameList;
    std::filesystem::path preview = names.empty() ? std::filesystem::path() : photoFile(m_host.programDir, names[0]);
    std::error_code ec;
    if (preview.empty() || !std::filesystem::is_regular_file(preview, ec))
        preview = resolveStoredPath(m_host.programDir, "Awardimg\\photest.jpg");
    context.preview = QImage(QString::fromStdString(preview.string()));
    context.stage = QSize(stageWidth(), stageHeight());

    TForm_changpspho dialog(context, *m_host.messages, m_host.stage);
    if (dialog.exec() == QDialog::Accepted) {
        auto settings = openSettings(m_host.programDir);
        Status saved = settings ? LayoutPhotoGrid(*settings, dialog.grid(), n, stageWidth(), fromQt(screenKey()))
                                : Status(settings.error());
        if (saved && settings)
            saved = settings->commit();
        if (!saved)
            m_host.messages->notify(m_host.stage, QStringLiteral("提示"), toQt(saved.error().message));
        for (PhotoCaption *c : m_captions) {
            c->clear();
            c->hide();
        }
    }
    BuildPhotoSlots(n, false);
}

void PhotoStage::Npp3Click()
{
    const int n = m_slotsFor;
    if (n < 1)
        return;
    auto chosen = chooseFont(m_host.stage, *m_host.messages, *m_host.pickers, m_layout.captionFont);
    if (!chosen)
        return;
    m_layout.captionFont = *chosen;
    applyCaptionFont(*chosen);
    auto settings = openSettings(m_host.programDir);
    if (settings) {
        settings->writeString(photoSectionAll(n), "txt", formatPhotoCaptionFont(m_photoScale.fontToStored(*chosen)));
        if (Status saved = settings->commit(); !saved)
            m_host.messages->notify(m_host.stage, QStringLiteral("提示"), toQt(saved.error().message));
    }
    for (int i = 1; i <= slotCount(); ++i)
        placeCaption(i);
}

}  // namespace tessaly

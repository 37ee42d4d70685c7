#include "ui/settings/TForm_setmusic.h"

#include "core/draw/DrawSession.h"
#include "core/files/Paths.h"
#include "core/settings/Settings.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/sound/SoundPlayer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

namespace {

struct Row {
    const char *caption;  // the switch
    std::string SoundSettings::*path;
    bool SoundSettings::*enabled;
};

const Row kRows[] = {
    {"启用背景音乐", &SoundSettings::bmusic, &SoundSettings::canbmusic},
    {"启用开始时音乐", &SoundSettings::smusic, &SoundSettings::cansmusic},
    {"启用停止时音乐", &SoundSettings::emusic, &SoundSettings::canemusic},
    {"启用抽奖结果背景音乐", &SoundSettings::sbmusic, &SoundSettings::cansbmusic},
};

QPushButton *button(const QString &text, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TForm_setmusic::TForm_setmusic(std::filesystem::path programDir, DrawSession &session, SoundPlayer &player,
                               MessageService &messages, PickerService &pickers, QWidget *parent)
    : QDialog(parent), m_programDir(std::move(programDir)), m_session(session), m_player(player),
      m_messages(messages), m_pickers(pickers)
{
    setObjectName(QStringLiteral("TForm_setmusic"));
    setWindowTitle(QStringLiteral("音效设置"));
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        switches[size_t(i)] = new QCheckBox(QString::fromUtf8(kRows[i].caption), this);
        switches[size_t(i)]->setObjectName(QStringLiteral("CheckBox") + n);
        QComboBox *list = lists[size_t(i)] = new QComboBox(this);
        list->setObjectName(QStringLiteral("ComboBox") + n);
        list->setEditable(i == 3);  // only the results music may be typed
        list->setMinimumWidth(260);
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        auto *play = button(QStringLiteral("试听"), QStringLiteral("Preview") + n, this);
        auto *stop = button(QStringLiteral("停止试听"), QStringLiteral("StopPreview") + n, this);
        auto *add = button(QStringLiteral("增加新音乐"), QStringLiteral("AddMusic") + n, this);
        connect(play, &QPushButton::clicked, this, [this, i] { preview(i); });
        connect(stop, &QPushButton::clicked, this,
                [this] { m_player.on(SoundMoment::StopPreview, m_session.grade().sounds); });
        connect(add, &QPushButton::clicked, this, [this, i] { addMusic(i); });
        const int row = i * 2;
        grid->addWidget(switches[size_t(i)], row, 0, 1, 4);
        grid->addWidget(list, row + 1, 0);
        grid->addWidget(play, row + 1, 1);
        grid->addWidget(stop, row + 1, 2);
        grid->addWidget(add, row + 1, 3);
    }
    grid->setColumnStretch(0, 1);

    switches[4] = new QCheckBox(QStringLiteral("循环播放背景音乐"), this);
    switches[4]->setObjectName(QStringLiteral("CheckBox5"));
    auto *note = new QLabel(QStringLiteral("注：背景音乐打开或关闭快捷键：F9"), this);
    note->setObjectName(QStringLiteral("Label1"));

    auto *ok = button(QStringLiteral("确定"), QStringLiteral("Button1"), this);
    auto *cancel = button(QStringLiteral("取消"), QStringLiteral("Button2"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TForm_setmusic::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(switches[4]);
    layout->addWidget(note);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    // A file that was picked or previewed and does not play is named to the operator.
    connect(&m_player, &SoundPlayer::checked, this, [this](const QString &path, bool ok, qint64, const QString &why) {
        if (!ok)
            m_messages.notify(this, QStringLiteral("提示"),
                              QStringLiteral("无法播放音乐文件：%1\n%2").arg(QDir::toNativeSeparators(path), why),
                              MessageService::Icon::Warning);
    });
    connect(&m_player, &SoundPlayer::failed, this, [this](const QString &path, const QString &why) {
        if (path != m_previewing)
            return;
        m_previewing.clear();
        m_messages.notify(this, QStringLiteral("提示"),
                          QStringLiteral("无法播放音乐文件：%1\n%2").arg(QDir::toNativeSeparators(path), why),
                          MessageService::Icon::Warning);
    });
    FormShow();
}

void TForm_setmusic::FormShow()
{
    auto store = openSettings(m_programDir);
    const SoundSettings stored = store ? readSoundDialogValues(*store) : SoundSettings{};
    for (int i = 0; i < 5; ++i) {
        const bool SoundSettings::*value = i < 4 ? kRows[i].enabled : &SoundSettings::loopmusic;
        switches[size_t(i)]->setChecked(stored.*value);
    }
    QStringList files;
    for (const std::string &f : listSoundFiles(m_programDir))
        files << toQt(f);
    for (int i = 0; i < 4; ++i) {
        QComboBox *list = lists[size_t(i)];
        list->addItems(files);
        const QString value = toQt(stored.*kRows[i].path);
        list->setCurrentIndex(list->findText(value, Qt::MatchFixedString));  // any letter case
        if (list->isEditable() && list->currentIndex() < 0)
            list->setEditText(value);  // a typed path stays as the operator left it
    }
}

void TForm_setmusic::preview(int list)
{
    const std::string stored = fromQt(lists[size_t(list)]->currentText());
    if (!m_player.AudioReady())
        return;
    m_previewing = QString::fromStdString(resolveStoredPath(m_programDir, stored).string());
    m_player.on(SoundMoment::Preview, m_session.grade().sounds, stored);
}

void TForm_setmusic::addMusic(int list)
{
    const QString chosen = m_pickers.pickOpenFile(this, QStringLiteral("打开"),
                                                  QStringLiteral("音频文件 (*.mp3 *.wma *.wav *.mid)"));
    if (chosen.isEmpty())
        return;
    auto imported = importIntoProgramFolder(m_programDir, chosen.toStdString(), "wav");
    if (!imported) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(imported.error().message), MessageService::Icon::Warning);
        return;
    }
    const QString stored = toQt(*imported);
    for (QComboBox *l : lists)
        l->addItem(stored);
    lists[size_t(list)]->setCurrentIndex(lists[size_t(list)]->count() - 1);
    m_player.checkFile(QString::fromStdString(resolveStoredPath(m_programDir, *imported).string()));
}

void TForm_setmusic::Button1Click()
{
    SoundSettings chosen;
    for (int i = 0; i < 4; ++i) {
        chosen.*kRows[i].path = fromQt(lists[size_t(i)]->currentText().trimmed());
        chosen.*kRows[i].enabled = switches[size_t(i)]->isChecked();
    }
    chosen.loopmusic = switches[4]->isChecked();
    auto store = openSettings(m_programDir);
    tessaly::Status saved = store ? tessaly::Status(Ok{}) : tessaly::Status(store.error());
    if (store) {
        writeSoundSettings(*store, chosen);
        saved = store->commit();
    }
    if (!saved) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(saved.error().message), MessageService::Icon::Warning);
        return;
    }
    // The running draw plays what a restart would: an empty or vanished file
    // falls back to the shipped sound instead of silence.
    auto written = openSettings(m_programDir);
    m_session.setSoundSettings(written ? readSoundSettings(*written, m_programDir) : chosen);
    accept();
}

void TForm_setmusic::done(int result)
{
    QDialog::done(result);
    m_player.on(SoundMoment::DialogClosed, m_session.grade().sounds);
}

}  // namespace tessaly

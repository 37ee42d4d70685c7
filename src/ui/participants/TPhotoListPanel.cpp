#include "ui/participants/TPhotoListPanel.h"

#include "core/draw/DrawSession.h"
#include "core/event/Backup.h"
#include "core/files/FileIo.h"
#include "core/files/Paths.h"
#include "core/participants/ParticipantList.h"
#include "core/participants/PhotoImport.h"
#include "core/text/Lines.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/participants/TTextedit.h"
#include "ui/settings/AwardSettingsHost.h"
#include "ui/common/StageWidgets.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace fs = std::filesystem;

namespace tessaly {

TPhotoListPanel::TPhotoListPanel(fs::path programDir, AwardSettingsHost &host, DrawSession &session,
                                 MessageService &messages, PickerService &pickers, QWidget *parent)
    : QWidget(parent), m_programDir(std::move(programDir)), m_host(host), m_session(session), m_messages(messages),
      m_pickers(pickers)
{
    setObjectName(QStringLiteral("Panel1"));
    Label4 = new QLabel(QStringLiteral("参选图片："), this);
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    Image1 = new PictureBox(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(400, 300);
    Label6 = new QLabel(QStringLiteral("正在导入新图片，可能需要几分钟，请稍等..."), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setStyleSheet(QStringLiteral("color: red"));
    Label6->hide();
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setText(QStringLiteral("注： 1、源图片比例任意，默认是常见数码照片比例4：3；\n"
                                   "    2、当源图片尺寸太大时，建议导入时转换图片尺寸，转换后图片尺寸的宽高建议不要超过500*500；\n"
                                   "    3、图片格式为JPG，图片命名如：张三.jpg，滚动停止后可在图片上显示文字”张三“；\n"
                                   "    4、请注意，图片导入后所有参选图片和所有奖项将全部回到奖池。"));
    CheckBox1 = new QCheckBox(QStringLiteral("导入前清除已有参选图片"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    CheckBox2 = new QCheckBox(QStringLiteral("导入时转换宽和高为(像素)："), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setChecked(true);
    Edit_chaw = new QLineEdit(QStringLiteral("400"), this);
    Edit_chaw->setObjectName(QStringLiteral("Edit_chaw"));
    Edit_chah = new QLineEdit(QStringLiteral("300"), this);
    Edit_chah->setObjectName(QStringLiteral("Edit_chah"));
    for (QLineEdit *e : {Edit_chaw, Edit_chah}) {
        setDigitsOnly(e);
        e->setMaximumWidth(60);
    }
    connect(Edit_chaw, &QLineEdit::editingFinished, this, [this] { checkSize(Edit_chaw, true); });
    connect(Edit_chah, &QLineEdit::editingFinished, this, [this] { checkSize(Edit_chah, false); });
    BitBtn1 = new QPushButton(QStringLiteral("图片导入..."), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(QStringLiteral("增加一张"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn3 = new QPushButton(QStringLiteral("删除一张"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    connect(BitBtn1, &QPushButton::clicked, this, &TPhotoListPanel::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TPhotoListPanel::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TPhotoListPanel::BitBtn3Click);
    connect(ListBox1, &QListWidget::currentTextChanged, this, &TPhotoListPanel::preview);

    auto *left = new QVBoxLayout;
    auto *head = new QHBoxLayout;
    head->addWidget(Label4);
    head->addWidget(Label3, 1);
    left->addLayout(head);
    left->addWidget(ListBox1, 1);
    auto *size = new QHBoxLayout;
    size->addWidget(CheckBox2);
    size->addWidget(Edit_chaw);
    size->addWidget(new QLabel(QStringLiteral("*"), this));
    size->addWidget(Edit_chah);
    size->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn3);
    buttons->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(Image1);
    right->addWidget(CheckBox1);
    right->addLayout(size);
    right->addLayout(buttons);
    right->addWidget(Label6);
    right->addStretch();
    auto *top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(Label2);
    reloadList();
}

void TPhotoListPanel::reloadList()
{
    ListBox1->clear();
    Result<std::string> data = readFile(programFile(m_programDir, "data.txt"));
    if (data)
        for (const std::string &line : splitLines(*data))
            ListBox1->addItem(toQt(line) + QStringLiteral(".jpg"));
    Label3->setText(QString::number(ListBox1->count()));
    if (ListBox1->count() > 0)
        preview(ListBox1->item(0)->text());
    else
        Image1->clearPicture();
}

void TPhotoListPanel::preview(const QString &item)
{
    if (item.isEmpty())
        return;
    const fs::path file = resolveStoredPath(m_programDir, "photo\\" + fromQt(item));
    if (!Image1->loadPicture(QString::fromStdString(file.string())))
        Image1->clearPicture();
}

void TPhotoListPanel::checkSize(QLineEdit *edit, bool width)
{
    const int value = edit->text().toInt();
    if (value >= 501) {
        m_messages.notify(this, QStringLiteral("提示"),
                          width ? QStringLiteral("为了抽奖滚动流畅，转换后的图片宽建议不要大于500像素")
                                : QStringLiteral("为了抽奖滚动流畅，转换后的图片高建议不要大于500像素"));
        return;
    }
    if (value > 0)
        Image1->setFixedSize(width ? value : Image1->width(), width ? Image1->height() : value);
}

bool TPhotoListPanel::convertOrCopy(const std::vector<fs::path> &files, const QString &copyFailure)
{
    if (!CheckBox2->isChecked()) {
        if (Status copied = copyPhotos(files, m_programDir); !copied) {
            Label6->hide();
            m_messages.notify(this, QStringLiteral("提示"), copyFailure);
            return false;
        }
        return true;
    }
    // Spread over every core; the window repaints while the workers run.
    auto failures = convertPhotos(files, m_programDir, Edit_chaw->text().toInt(), Edit_chah->text().toInt(), 0,
                                  [&](size_t done) {
                                      if (done > 0 && done <= files.size())
                                          Label3->setText(QStringLiteral("(%1)正在导入并转换:").arg(done) +
                                                          QString::fromStdString(files[done - 1].filename().string()));
                                      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                                  });
    // One message for all failures rather than a box per picture.
    if (!failures.empty()) {
        QStringList lines;
        for (size_t i = 0; i < failures.size() && i < 20; ++i)
            lines << QStringLiteral("转换\"") + QString::fromStdString(failures[i].source.string()) +
                         QStringLiteral("\"出错");
        if (failures.size() > 20)
            lines << QStringLiteral("……共%1张图片出错").arg(failures.size());
        m_messages.notify(this, QStringLiteral("提示"), lines.join(QLatin1Char('\n')));
    }
    return true;
}

bool TPhotoListPanel::afterPhotosChanged(const QString &emptyMessage, bool finalMessage)
{
    Result<int> scanned = ScanPhotoFolder(m_programDir);
    if (!scanned) {
        Label6->hide();
        m_messages.notify(this, QStringLiteral("提示"), toQt(scanned.error().message), MessageService::Icon::Critical);
        return false;
    }
    reloadList();
    if (ListBox1->count() == 0) {
        Label3->clear();
        Label6->hide();
        m_messages.notify(this, QStringLiteral("提示"), emptyMessage);
        return false;
    }
    // The indices changed: every award and entry returns to the pool and the
    // photos are loaded anew.
    m_session.setPhotosLoaded(false);
    m_host.resetDrawAfterSettings();
    TTextedit::setReminderPending(true);
    Label6->hide();
    if (finalMessage)
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("导入完成"));
    return true;
}

bool TPhotoListPanel::confirmListChange(const std::vector<fs::path> &incoming)
{
    // Names the list cannot hold are refused before a picture is touched.
    if (const std::vector<std::string> unfit = unfitPhotoNames(incoming); !unfit.empty()) {
        QString text = QStringLiteral("下面这些图片的文件名含有竖线“|”或GBK编码无法保存的字符，不能作为参选名单，"
                                      "请改名后再导入，图片和名单都没有改动：");
        for (size_t i = 0; i < unfit.size() && i < 10; ++i)
            text += QLatin1Char('\n') + QString::fromStdString(unfit[i]);
        m_messages.notify(this, QStringLiteral("提示"), text, MessageService::Icon::Warning);
        return false;
    }
    m_host.stopRollingForSettings();
    if (const int recorded = m_host.recordedWinners();
        recorded > 0 && !m_messages.ask(this, QStringLiteral("重要提示"),
                                        QStringLiteral("改变参选图片后所有图片和奖项都将回到奖池。") +
                                            toQt(backupNotice(m_programDir, recorded)) + QStringLiteral("是否继续？")))
        return false;
    return m_host.keepBackup();
}

void TPhotoListPanel::BitBtn1Click()
{
    const QString folder = m_pickers.pickFolder(this, QStringLiteral("请选择文件夹"));
    if (folder.isEmpty())
        return;
    // The chosen folder is looked at first: old pictures go only when new ones come.
    const auto files = listJpegFiles(folder.toStdString());
    if (files.empty()) {
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("文件夹中没有JPG图片"));
        return;
    }
    std::vector<fs::path> kept = files;
    if (!CheckBox1->isChecked()) {
        const auto present = listJpegFiles(photoFolder(m_programDir));
        kept.insert(kept.end(), present.begin(), present.end());
    }
    if (!confirmListChange(kept))
        return;
    Label6->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (CheckBox1->isChecked() && !clearPhotoFolder(m_programDir)) {
        Label6->hide();
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("删除旧图片出错"));
        return;
    }
    if (!convertOrCopy(files, QStringLiteral("导入新图片失败")))
        return;
    afterPhotosChanged(QStringLiteral("文件夹中没有JPG图片"), true);
}

void TPhotoListPanel::BitBtn2Click()
{
    const QString file = m_pickers.pickOpenFile(this, QStringLiteral("增加一张"), QStringLiteral("*.jpg (*.jpg)"));
    if (file.isEmpty() || !confirmListChange({fs::path(file.toStdString())}))
        return;
    if (!convertOrCopy({fs::path(file.toStdString())}, QStringLiteral("增加新图片失败")))
        return;
    afterPhotosChanged(QStringLiteral("没有JPG图片"), false);
}

void TPhotoListPanel::BitBtn3Click()
{
    QListWidgetItem *item = ListBox1->currentItem();
    if (!item) {
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("请先选中参选图片中的一行"));
        return;
    }
    const fs::path file = resolveStoredPath(m_programDir, "photo\\" + fromQt(item->text()));
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        delete ListBox1->takeItem(ListBox1->row(item));
        return;
    }
    if (!confirmListChange({}))
        return;
    if (Status removed = removeFileDurable(file); !removed) {
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("删除图片失败"));
        return;
    }
    afterPhotosChanged(QStringLiteral("没有JPG图片"), false);
}

bool TPhotoListPanel::canClose()
{
    if (ListBox1->count() == 0) {
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("图片抽奖模式下至少要有一张图片，请导入图片"));
        return false;
    }
    return true;
}

}  // namespace tessaly

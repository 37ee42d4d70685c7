#include "ui/hall/HallPanel.h"

#include "core/checkin/CheckInCodes.h"
#include "core/draw/DrawSession.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/hall/HallService.h"
#include "ui/proof/QrImage.h"

#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

HallPanel::HallPanel(HallService &hall, MessageService &messages, PickerService &pickers,
                     std::function<void()> openSettings, QWidget *parent)
    : QGroupBox(QStringLiteral("签到"), parent), m_hall(hall), m_messages(messages), m_pickers(pickers)
{
    setObjectName(QStringLiteral("HallPanel"));
    auto *layout = new QGridLayout(this);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("CheckInCount"));
    QFont big = m_count->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    m_count->setFont(big);
    m_phones = new QLabel(this);
    m_address = new QLabel(this);
    m_address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_address->setWordWrap(true);
    m_qr = new QLabel(this);
    m_qr->setFixedSize(132, 132);
    m_qr->setScaledContents(true);
    auto *info = new QVBoxLayout;
    info->addWidget(m_count);
    info->addWidget(m_phones);
    info->addWidget(m_address);
    info->addStretch();
    layout->addLayout(info, 0, 0);
    layout->addWidget(m_qr, 0, 1, Qt::AlignRight | Qt::AlignTop);

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("CheckInSearch"));
    m_search->setPlaceholderText(QStringLiteral("搜索姓名或签到码，为没带手机的人签到"));
    m_search->setClearButtonEnabled(true);
    layout->addWidget(m_search, 1, 0, 1, 2);
    m_results = new QListWidget(this);
    m_results->setMaximumHeight(120);
    layout->addWidget(m_results, 2, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    m_checkIn = new QPushButton(QStringLiteral("签到"), this);
    m_undo = new QPushButton(QStringLiteral("撤销签到"), this);
    auto *exportButton = new QPushButton(QStringLiteral("导出签到..."), this);
    auto *settings = new QPushButton(QStringLiteral("现场互动设置..."), this);
    for (QPushButton *b : {m_checkIn, m_undo, exportButton, settings})
        buttons->addWidget(b);
    layout->addLayout(buttons, 3, 0, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("被拒绝的设备（一部手机为多人签到）："), this), 4, 0, 1, 2);
    m_refused = new QListWidget(this);
    m_refused->setMaximumHeight(70);
    layout->addWidget(m_refused, 5, 0, 1, 2);

    connect(m_search, &QLineEdit::textChanged, this, &HallPanel::find);
    connect(m_checkIn, &QPushButton::clicked, this, [this] { checkInSelected(false); });
    connect(m_undo, &QPushButton::clicked, this, [this] { checkInSelected(true); });
    connect(exportButton, &QPushButton::clicked, this, &HallPanel::exportCheckIns);
    connect(settings, &QPushButton::clicked, this, [openSettings] {
        if (openSettings)
            openSettings();
    });
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &HallPanel::refresh);
    m_timer.start();
    refresh();
}

void HallPanel::refresh()
{
    const size_t entries = m_hall.session().lists().size();
    m_count->setText(QStringLiteral("已签到 %1 / %2").arg(m_hall.store().checkedInCount()).arg(entries));
    if (m_hall.serving()) {
        m_phones->setText(QStringLiteral("最近一分钟连上的手机：%1 部　现场码：%2")
                              .arg(m_hall.site().phonesLastMinute())
                              .arg(m_hall.hallCode()));
        const QString address = m_hall.pageAddress();
        if (address != m_qrFor) {
            m_qrFor = address;
            m_address->setText(address);
            m_qr->setPixmap(QPixmap::fromImage(qrImage(address, 4)));
        }
    } else if (!m_qrFor.isEmpty() || m_address->text().isEmpty()) {
        m_qrFor.clear();
        m_phones->setText(QStringLiteral("现场互动网页没有开启：只能在这里签到。"));
        m_address->setText(QString());
        m_qr->clear();
    }
    m_refused->clear();
    for (const auto &r : m_hall.store().refusedDevices())
        m_refused->addItem(QStringLiteral("%1 设备 %2…：试过 %3 次，最后为签到码 %4")
                               .arg(QDateTime::fromSecsSinceEpoch(r.time).toString(QStringLiteral("HH:mm:ss")))
                               .arg(QString::fromStdString(r.device.substr(0, 8)))
                               .arg(r.attempts)
                               .arg(QString::fromStdString(r.code)));
}

void HallPanel::find()
{
    const QString typed = m_search->text().trimmed();
    m_rows.clear();
    m_results->clear();
    if (typed.isEmpty())
        return;
    auto rows = checkInRowsOf(m_hall.programDir(), m_hall.session().lists().NameList);
    if (!rows) {
        m_results->addItem(toQt(rows.error().message));
        return;
    }
    const std::string text = fromQt(typed);
    const std::string code = normaliseCode(text);
    for (const CheckInRow &row : *rows) {
        if (row.entry.find(text) == std::string::npos && (code.empty() || row.code != code))
            continue;
        m_rows.push_back(row);
        m_results->addItem(QStringLiteral("%1. %2　%3　%4")
                               .arg(row.line)
                               .arg(toQt(row.entry), QString::fromStdString(row.code),
                                    row.checkedIn ? QStringLiteral("已签到") : QStringLiteral("未签到")));
        if (m_rows.size() >= 50)
            break;
    }
    if (!m_rows.empty())
        m_results->setCurrentRow(0);
}

void HallPanel::checkInSelected(bool undo)
{
    const int row = m_results->currentRow();
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return;
    const CheckInRow picked = m_rows[static_cast<size_t>(row)];
    if (undo && !m_messages.ask(window(), QStringLiteral("提示"),
                                QStringLiteral("撤销“%1”的签到？已开始的奖项不受影响，之后的奖项不再抽此人，直到再次签到。")
                                    .arg(toQt(picked.entry))))
        return;
    const CheckInStore::Answer answer = m_hall.checkInAtDesk(picked.code, undo);
    if (answer == CheckInStore::Answer::WriteFailed)
        m_messages.notify(window(), QStringLiteral("出错"), QStringLiteral("签到记录没有写入磁盘，什么也没有改变。请检查磁盘后再试。"),
                          MessageService::Icon::Warning);
    find();
    refresh();
}

void HallPanel::exportCheckIns()
{
    const QString path = m_pickers.pickSaveFile(window(), QStringLiteral("导出签到"),
                                                QStringLiteral("Excel 文件 (*.xlsx);;CSV 文件 (*.csv)"),
                                                QStringLiteral("xlsx"));
    if (path.isEmpty())
        return;
    auto rows = checkInRowsOf(m_hall.programDir(), m_hall.session().lists().NameList);
    const Status written = rows ? tessaly::exportCheckIns(*rows, QDateTime::currentDateTime().offsetFromUtc(),
                                                 std::filesystem::path(path.toStdString()))
                                : Status(rows.error());
    if (!written)
        m_messages.notify(window(), QStringLiteral("出错"), toQt(written.error().message), MessageService::Icon::Warning);
    else
        m_messages.notify(window(), QStringLiteral("提示"), QStringLiteral("签到名单已导出到 %1").arg(path));
}

}  // namespace tessaly

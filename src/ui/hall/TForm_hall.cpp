#include "ui/hall/TForm_hall.h"

#include "core/settings/IniStore.h"
#include "core/settings/Settings.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

#include <QNetworkInterface>

namespace tessaly {

QStringList TForm_hall::interfaceAddresses()
{
    QStringList outside, loopback;
    for (const QNetworkInterface &i : QNetworkInterface::allInterfaces()) {
        if (!(i.flags() & QNetworkInterface::IsUp))
            continue;
        for (const QNetworkAddressEntry &entry : i.addressEntries()) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            (ip.isLoopback() ? loopback : outside).append(ip.toString());
        }
    }
    outside.removeDuplicates();
    loopback.removeDuplicates();
    return outside + loopback;
}

TForm_hall::TForm_hall(std::filesystem::path programDir, bool rehearsal, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TForm_hall>()), m_dir(std::move(programDir)), m_rehearsal(rehearsal),
      m_messages(messages)
{
    m_ui->setupUi(this);
    setDigitsOnly(m_ui->Edit1);
    if (auto stored = openSettings(m_dir))
        m_web = readWebSettings(*stored);
    const QStringList addresses = interfaceAddresses();
    m_ui->ComboBox1->addItems(addresses);
    // A stored address the machine no longer has stays visible, marked, so the operator sees why phones fail.
    const QString stored = QString::fromStdString(m_web.address);
    if (!stored.isEmpty() && !addresses.contains(stored))
        m_ui->ComboBox1->insertItem(0, stored + QStringLiteral("（本机现在没有这个地址）"), stored);
    for (int i = 0; i < m_ui->ComboBox1->count(); ++i)
        if (m_ui->ComboBox1->itemData(i).toString() == stored || m_ui->ComboBox1->itemText(i) == stored)
            m_ui->ComboBox1->setCurrentIndex(i);
    m_ui->Edit1->setText(QString::number(m_web.port));
    m_ui->CheckBox1->setChecked(m_web.enabled);
    m_ui->CheckBox2->setChecked(m_web.onlyCheckedIn);
    m_ui->CheckBox3->setChecked(m_web.hallCode);
    if (m_rehearsal) {
        m_ui->CheckBox1->setEnabled(false);
        m_ui->Label5->setText(QStringLiteral("这是彩排：彩排时不开启现场互动网页，手机签到只在正式抽奖时进行。"));
    } else if (addresses.isEmpty()) {
        m_ui->Label5->setText(QStringLiteral("本机现在没有可用的网络地址：请先连上场地的网络。"));
    }
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_hall::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_hall::~TForm_hall() = default;

void TForm_hall::Button1Click()
{
    const auto port = readTypedNumber(m_ui->Edit1, QStringLiteral("端口"), 1, 65535, m_messages, this);
    if (!port)
        return;
    QString address = m_ui->ComboBox1->currentData().toString();
    if (address.isEmpty())
        address = m_ui->ComboBox1->currentText();
    const bool enabled = m_ui->CheckBox1->isChecked() && !m_rehearsal;
    if (enabled && !isIpv4Address(address.toStdString())) {
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("请选择本机的一个网络地址，手机要通过它打开签到网页。"));
        m_ui->ComboBox1->setFocus();
        return;
    }
    WebSettings web = m_web;
    // A rehearsal leaves the stored switch as it was: the real event keeps its choice.
    if (!m_rehearsal)
        web.enabled = enabled;
    web.address = address.toStdString();
    web.port = *port;
    web.onlyCheckedIn = m_ui->CheckBox2->isChecked();
    web.hallCode = m_ui->CheckBox3->isChecked();
    auto stored = openSettings(m_dir);
    Status saved = stored ? Status(Ok{}) : Status(stored.error());
    if (stored) {
        writeWebSettings(*stored, web);
        saved = stored->commit();
    }
    if (!saved) {
        m_messages.notify(this, QStringLiteral("出错"), toQt(saved.error().message), MessageService::Icon::Warning);
        return;
    }
    m_web = web;
    accept();
}

}  // namespace tessaly

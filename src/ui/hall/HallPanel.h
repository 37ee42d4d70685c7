// The console's check-in panel: how many are in ("已签到 312 / 360"), the
// phones seen in the last minute, the pages' address as a QR code with the hall
// code, a search to check in someone without a phone or to undo a check-in,
// the devices refused, and the export of the check-ins.
#pragma once

#include "core/checkin/CheckInExport.h"

#include <QGroupBox>
#include <QTimer>
#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tessaly {

class HallService;
class MessageService;
class PickerService;

class HallPanel : public QGroupBox {
    Q_OBJECT
public:
    HallPanel(HallService &hall, MessageService &messages, PickerService &pickers, std::function<void()> openSettings,
              QWidget *parent = nullptr);

    // Counts, phones, refused devices and the search's rows read again.
    void refresh();
    QLineEdit *search() const { return m_search; }
    QListWidget *results() const { return m_results; }
    QListWidget *refused() const { return m_refused; }
    QLabel *count() const { return m_count; }

    // The selected row checked in (or its check-in undone) at the desk.
    void checkInSelected(bool undo);
    void exportCheckIns();

private:
    void find();

    HallService &m_hall;
    MessageService &m_messages;
    PickerService &m_pickers;
    QTimer m_timer;
    QLabel *m_count;
    QLabel *m_phones;
    QLabel *m_address;
    QLabel *m_qr;
    QLineEdit *m_search;
    QListWidget *m_results;
    QPushButton *m_checkIn;
    QPushButton *m_undo;
    QListWidget *m_refused;
    std::vector<CheckInRow> m_rows;  // the search's matches, as shown
    QString m_qrFor;                 // the address the QR shows
};

}  // namespace tessaly

// The stage window. For now it loads the settings, the award table and the
// participant list and shows what it found.
#pragma once

#include "core/participants/ParticipantList.h"
#include "core/settings/AwardTable.h"

#include <QMainWindow>
#include <filesystem>

class QLabel;

namespace tessaly {

class MessageService;

class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    TFrmMain(std::filesystem::path programDir, MessageService &messages, QWidget *parent = nullptr);

    // Loads everything the stage shows; problems reach the operator through the message service.
    void loadProgramFiles();

    const GradeConfig &gradeConfig() const { return m_grade; }
    const ParticipantLists &participants() const { return m_lists; }

private:
    std::filesystem::path m_programDir;
    MessageService &m_messages;
    GradeConfig m_grade;
    ParticipantLists m_lists;
    QLabel *m_summary = nullptr;
};

}  // namespace tessaly

// The single-award dialog: name, winners, batches with their counts, prize
// name and picture. Adds a row to the award grid or edits one.
#pragma once

#include <QDialog>
#include <QStringList>
#include <filesystem>
#include <functional>

namespace Ui {
class TForm_grade;
}

namespace tessaly {

class MessageService;

class TForm_grade : public QDialog {
    Q_OBJECT
public:
    // Picks a picture file, empty when cancelled; injectable for tests.
    using PickPicture = std::function<QString(QWidget *)>;

    // row: the six cells of the award being edited, empty in add mode.
    TForm_grade(std::filesystem::path programDir, QStringList row, MessageService &messages,
                PickPicture pickPicture = {}, QWidget *parent = nullptr);
    ~TForm_grade() override;

    // The confirmed row: name, winners, batches, batch detail, prize, picture.
    QStringList awardRow() const { return m_result; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rebuildBatches();
    void Button1Click();
    void choosePicture();

    Ui::TForm_grade *m_ui;
    std::filesystem::path m_programDir;
    MessageService &m_messages;
    PickPicture m_pickPicture;
    QStringList m_result;
};

// A picture chosen outside Awardimg\ is copied there first; returns the stored
// path "Awardimg\<name>", or an empty text when the copy failed.
QString storePrizePicture(const std::filesystem::path &programDir, const QString &chosenFile);

}  // namespace tessaly

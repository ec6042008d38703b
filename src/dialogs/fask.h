#pragma once

#include <QDialog>
#include <QStringList>

class QTextEdit;
class QPushButton;

namespace tovrix {

// The answer of the last question put by TFask: true only when "JA" was
// pressed. Every showing of the dialog starts it at false.
extern bool askanswer;

// The yes/no confirmation dialog. Callers clear M, add their question lines,
// run exec() and read askanswer; ask() does all of that in one call.
class TFask : public QDialog {
    Q_OBJECT

  public:
    explicit TFask(QWidget* parent = nullptr);

    // Shows exactly these lines as the question, waits for the answer and
    // returns it (also left in askanswer). The focus starts on "JA", so
    // Enter answers yes; a question whose safe answer is no starts it on
    // "NEIN" instead.
    enum class Preset { ja, nein };
    bool ask(const QStringList& lines, Preset preset = Preset::ja);

    QTextEdit* M = nullptr;
    QPushButton* JA = nullptr;
    QPushButton* NEIN = nullptr;

    void FormActivate();
    void JAClick();
    void NEINClick();
    void MEnter();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Preset preset_ = Preset::ja;
};

}  // namespace tovrix

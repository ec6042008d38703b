#pragma once

#include <QLineEdit>

#include <functional>

namespace tovrix {

// The edit field of every numeric entry. It reports the three moments the
// window reacts to: a click, leaving the field, and the release of Return or
// Enter. Leaving means the focus moving to another control of the window;
// the window itself losing the focus (another program, a menu, a message
// box) is not leaving, so a half-typed value is not committed behind the
// user's back.
class NumericEdit : public QLineEdit {
    Q_OBJECT

  public:
    NumericEdit(QWidget* parent, const QString& name, int maxLength, const QString& text);

    // Also select the whole text whenever the field receives the focus.
    void setSelectAllOnFocus(bool on) { selectAllOnFocus_ = on; }

  signals:
    void clicked();
    void exited();
    void enterReleased();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    bool selectAllOnFocus_ = false;
};

// Gives a numeric field its usual reactions: a click selects the whole text,
// leaving the field commits it, and releasing Enter commits it and selects
// the whole text again. commit runs in the context of receiver.
void connectNumericEntry(NumericEdit* edit, QObject* receiver, std::function<void()> commit);

}  // namespace tovrix

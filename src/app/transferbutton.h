#pragma once

#include <QPushButton>

namespace tovrix {

// One of the four large transfer buttons ("Konfiguration auslesen", ...):
// a maroon caption on a yellow face, on a slightly larger yellow panel. It
// shows what a plain button there does not: a frame in the caption colour
// while it has the keyboard focus, and a pale face with a grey caption
// while it is disabled (during a transfer).
class TransferButton : public QPushButton {
  public:
    TransferButton(const QString& caption, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// Makes the button with its panel at (x, y) of the page.
TransferButton* makeTransferButton(QWidget* page, const char* name, const QString& caption, int x,
                                   int y);

}  // namespace tovrix

#pragma once

#include <QString>

class QWidget;

namespace velmora::ui {

// Every modal box the window opens goes through here, so tests can answer without a real dialog.
class Dialogs {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Dialogs() = default;
    // A question with the buttons Yes, No and Cancel.
    virtual Answer askYesNoCancel(QWidget *parent, const QString &text) = 0;
    // A plain message with an OK button.
    virtual void inform(QWidget *parent, const QString &text) = 0;
};

// The real message boxes.
class MessageBoxDialogs : public Dialogs {
public:
    Answer askYesNoCancel(QWidget *parent, const QString &text) override;
    void inform(QWidget *parent, const QString &text) override;
};

} // namespace velmora::ui

#pragma once

#include "history_dialog.h"
#include "port_setup_dialog.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>

class QFileDialog;
class QWidget;

namespace velmora::ui {

// The title of every message box: the program's name, which reads the same in every language.
// It is not the application's display name, which the X11 platform would append to every
// window title.
QString boxTitle();

// The set "Compare..." sets against the window's: a parameter or image file, the unit, or the
// newest history entry of the unit the window's identity block names.
enum class CompareWith { File, Unit, NewestEntry };

// Every modal box the window opens goes through here, so tests can answer without a real dialog.
class Dialogs {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Dialogs() = default;
    // A question with the buttons Yes, No and Cancel.
    virtual Answer askYesNoCancel(QWidget *parent, const QString &text) = 0;
    // A plain message with an OK button; returns when the user has closed it.
    virtual void inform(QWidget *parent, const QString &text) = 0;
    // The same box, but it only opens and returns at once: modal to `parent` alone, so the
    // window's timer and the link go on while it is open.
    virtual void notify(QWidget *parent, const QString &text) = 0;
    // A parameter file to open or to save to, the dialog starting at `start`; empty when the
    // user cancels. The save dialog asks before it lets an existing file be replaced.
    virtual QString openFileName(QWidget *parent, const QString &start) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &start) = 0;
    // A ride log to write to, the dialog starting at `start`, in the language; it asks before it
    // lets an existing file be replaced. Empty when the user cancels.
    virtual QString logFileName(QWidget *parent, const QString &start, std::uint8_t language) = 0;
    // Prints the window's picture; returns the PDF file it went to when there was no printer,
    // empty when it went to the printer.
    virtual QString printPicture(QWidget *parent, const QImage &picture) = 0;
    // Opens a document with the desktop's viewer and returns at once.
    virtual void openDocument(const QString &path) = 0;
    // The port setup, starting from `setup`: the assignments the user confirmed, none when they
    // cancelled.
    virtual std::optional<PortAssignments> setUpPorts(QWidget *parent, const PortSetup &setup) = 0;
    // The unit history: the entry the user picked and what to do with it, none when they closed
    // the list.
    virtual std::optional<HistoryChoice> chooseFromHistory(QWidget *parent,
                                                           const HistoryRequest &request) = 0;
    // What to compare the window's set with; none when the user cancels.
    virtual std::optional<CompareWith> chooseComparison(QWidget *parent, std::uint8_t language) = 0;
    // A ride log to open, the dialog starting in `folder`; empty when the user cancels.
    virtual QString openLogName(QWidget *parent, const QString &folder, std::uint8_t language) = 0;
};

// Shows nothing and declines every question: for tools that drive the window unattended.
class SilentDialogs : public Dialogs {
public:
    Answer askYesNoCancel(QWidget *, const QString &) override { return Answer::No; }
    void inform(QWidget *, const QString &) override {}
    void notify(QWidget *, const QString &) override {}
    QString openFileName(QWidget *, const QString &) override { return {}; }
    QString saveFileName(QWidget *, const QString &) override { return {}; }
    QString logFileName(QWidget *, const QString &, std::uint8_t) override { return {}; }
    QString printPicture(QWidget *, const QImage &) override { return {}; }
    void openDocument(const QString &) override {}
    std::optional<PortAssignments> setUpPorts(QWidget *, const PortSetup &) override
    {
        return std::nullopt;
    }
    std::optional<HistoryChoice> chooseFromHistory(QWidget *, const HistoryRequest &) override
    {
        return std::nullopt;
    }
    std::optional<CompareWith> chooseComparison(QWidget *, std::uint8_t) override
    {
        return std::nullopt;
    }
    QString openLogName(QWidget *, const QString &, std::uint8_t) override { return {}; }
};

// The parameter-file dialogs as MessageBoxDialogs runs them, set up but not yet shown: the open
// dialog offers the parameter files and all files, the save dialog parameter files alone; both
// start at `start` unless it is blank and add ".ign" to a name typed without it.
void setUpOpenDialog(QFileDialog &dialog, const QString &start);
void setUpSaveDialog(QFileDialog &dialog, const QString &start);

// The real message boxes.
class MessageBoxDialogs : public Dialogs {
public:
    Answer askYesNoCancel(QWidget *parent, const QString &text) override;
    void inform(QWidget *parent, const QString &text) override;
    void notify(QWidget *parent, const QString &text) override;
    QString openFileName(QWidget *parent, const QString &start) override;
    QString saveFileName(QWidget *parent, const QString &start) override;
    QString logFileName(QWidget *parent, const QString &start, std::uint8_t language) override;
    QString printPicture(QWidget *parent, const QImage &picture) override;
    void openDocument(const QString &path) override;
    std::optional<PortAssignments> setUpPorts(QWidget *parent, const PortSetup &setup) override;
    std::optional<HistoryChoice> chooseFromHistory(QWidget *parent,
                                                   const HistoryRequest &request) override;
    std::optional<CompareWith> chooseComparison(QWidget *parent, std::uint8_t language) override;
    QString openLogName(QWidget *parent, const QString &folder, std::uint8_t language) override;
};

} // namespace velmora::ui

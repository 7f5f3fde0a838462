#pragma once

#include "ui/dialogs.h"
#include "ui/printing.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace velmora::test {

// Answers questions from a script and records every text it was shown.
class FakeDialogs : public ui::Dialogs {
public:
    std::deque<Answer> answers;
    QStringList questions;
    QStringList messages;

    Answer askYesNoCancel(QWidget *, const QString &text) override
    {
        questions << text;
        if (answers.empty())
            return Answer::Cancel;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void inform(QWidget *, const QString &text) override { messages << text; }
    void notify(QWidget *, const QString &text) override { notices << text; }
    QStringList notices;

    // Paths the file dialogs "choose", one per call; an empty one (or none left) cancels.
    std::deque<QString> openPaths;
    std::deque<QString> savePaths;
    QStringList openStarts; // where each dialog was asked to start
    QStringList saveStarts;
    QString openFileName(QWidget *, const QString &start) override
    {
        openStarts << start;
        return take(openPaths);
    }
    QString saveFileName(QWidget *, const QString &start) override
    {
        saveStarts << start;
        return take(savePaths);
    }
    // The files "Log to file..." is given, one per call; none left cancels.
    std::deque<QString> logToPaths;
    QStringList logToStarts;
    QString logFileName(QWidget *, const QString &start, std::uint8_t) override
    {
        logToStarts << start;
        return take(logToPaths);
    }

    // Pages go into a PDF in `pdfFolder` (when set), as on a machine without a printer.
    QString pdfFolder;
    QList<QImage> printed;
    std::function<void(QWidget *)> whilePrinting; // looks at the window in print mode
    QString printPicture(QWidget *parent, const QImage &picture) override
    {
        printed << picture;
        if (whilePrinting)
            whilePrinting(parent);
        if (pdfFolder.isEmpty())
            return {};
        const QString pdf = pdfFolder + QStringLiteral("/page%1.pdf").arg(printed.size());
        return ui::printPicture(picture, pdf) ? pdf : QString();
    }
    QStringList documents;
    void openDocument(const QString &path) override { documents << path; }

    // The port setup: every request is kept; `answerPortSetup` plays the user (none cancels).
    std::vector<ui::PortSetup> portSetups;
    std::function<std::optional<ui::PortAssignments>(const ui::PortSetup &)> answerPortSetup;
    std::optional<ui::PortAssignments> setUpPorts(QWidget *, const ui::PortSetup &setup) override
    {
        portSetups.push_back(setup);
        return answerPortSetup ? answerPortSetup(setup) : std::nullopt;
    }

    // The choices "Compare..." gets, one per call; none left cancels.
    std::deque<ui::CompareWith> comparisons;
    std::optional<ui::CompareWith> chooseComparison(QWidget *, std::uint8_t) override
    {
        if (comparisons.empty())
            return std::nullopt;
        const ui::CompareWith choice = comparisons.front();
        comparisons.pop_front();
        return choice;
    }

    // The unit history: every request is kept; `answerHistory` plays the user (none closes).
    std::vector<ui::HistoryRequest> historyRequests;
    std::function<std::optional<ui::HistoryChoice>(const ui::HistoryRequest &)> answerHistory;
    std::optional<ui::HistoryChoice> chooseFromHistory(QWidget *,
                                                       const ui::HistoryRequest &request) override
    {
        historyRequests.push_back(request);
        return answerHistory ? answerHistory(request) : std::nullopt;
    }

    // Ride logs "Open log..." is given, one per call; an empty one (or none left) cancels.
    std::deque<QString> logPaths;
    QStringList logStarts; // the folder each dialog was asked to start in
    QString openLogName(QWidget *, const QString &folder, std::uint8_t) override
    {
        logStarts << folder;
        return take(logPaths);
    }

private:
    static QString take(std::deque<QString> &paths)
    {
        if (paths.empty())
            return {};
        QString p = paths.front();
        paths.pop_front();
        return p;
    }
};

} // namespace velmora::test

#pragma once

#include "model/triple.h"

#include <QString>

#include <cstdint>
#include <span>

class QWidget;

namespace velmora::ui {

// Which property of the named control a text goes to.
enum class TextTarget {
    WindowCaption, // the title of the window itself; its entry carries the window's name
    MenuCaption,   // a menu's title or a menu item's text
    TabCaption,    // the tab text of a page of its tab widget
    GroupTitle,    // a group box title
    Caption,       // the text of a label, check box or button
    Hint,          // "short|long": tooltip and status tip of a control
    MenuHint,      // the same for a menu item, or a menu's own entry in its parent
};

struct LanguageText {
    const char *control;
    TextTarget target;
    Triple text;
};

// The texts every language routine writes, in the order it writes them.
std::span<const LanguageText> languageTexts();

// The captions the common routine writes after each language routine.
std::span<const LanguageText> commonTexts();

// The captions of our own layout that neither routine above names, written after them.
std::span<const LanguageText> layoutTexts();

// Texts the window keeps and shows later: the heading of the unit's saving countdown, the start
// of the version label, and the announcement of a finished programming run.
struct StoredTexts {
    QString saving;
    QString versionMismatch;
    QString programDone;
};
StoredTexts storedTexts(std::uint8_t language);

// Puts `window` into `language` (0 Czech, 1 English, 2 German; anything else reads as English):
// ticks that language's menu item alone and writes every text above. Controls are found by
// object name; a name the window lacks is passed over.
void applyLanguage(QWidget *window, std::uint8_t language);

} // namespace velmora::ui

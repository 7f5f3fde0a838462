#include "window_fixture.h"

#include "model/image_layout.h"
#include "ui/languages.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QTabWidget>

#include <map>
#include <set>

using namespace velmora;
using ui::LanguageText;
using ui::TextTarget;

namespace {

constexpr std::uint8_t kCzech = 0;
constexpr std::uint8_t kEnglish = 1;
constexpr std::uint8_t kGerman = 2;

QString textOf(const LanguageText &entry, std::uint8_t language)
{
    return QString::fromUtf8(entry.text.pick(language));
}

// The control that carries a hint: a menu shows its hint through its entry in the menu bar.
QObject *hintCarrier(QObject *object)
{
    if (auto *menu = qobject_cast<QMenu *>(object))
        return menu->menuAction();
    return object;
}

std::vector<LanguageText> allTexts()
{
    std::vector<LanguageText> all(ui::languageTexts().begin(), ui::languageTexts().end());
    all.insert(all.end(), ui::commonTexts().begin(), ui::commonTexts().end());
    all.insert(all.end(), ui::layoutTexts().begin(), ui::layoutTexts().end());
    return all;
}

class LanguageTest : public test::WindowTest {
protected:
    QTabWidget *pages() const { return find<QTabWidget>(QStringLiteral("PageControl1")); }

    QObject *control(const LanguageText &entry) const
    {
        if (entry.target == TextTarget::WindowCaption)
            return window.get();
        return find<QObject>(QString::fromUtf8(entry.control));
    }

    // What the user sees of an entry; a hint reads back as "short|long" unless both parts agree.
    QString shown(const LanguageText &entry) const
    {
        QObject *o = control(entry);
        switch (entry.target) {
        case TextTarget::WindowCaption:
            return window->windowTitle();
        case TextTarget::MenuCaption:
            if (auto *menu = qobject_cast<QMenu *>(o))
                return menu->title();
            return qobject_cast<QAction *>(o)->text();
        case TextTarget::TabCaption:
            return pages()->tabText(pages()->indexOf(qobject_cast<QWidget *>(o)));
        case TextTarget::GroupTitle:
            return qobject_cast<QGroupBox *>(o)->title();
        case TextTarget::Caption:
            if (auto *label = qobject_cast<QLabel *>(o))
                return label->text();
            return qobject_cast<QAbstractButton *>(o)->text();
        case TextTarget::Hint:
        case TextTarget::MenuHint: {
            QObject *carrier = hintCarrier(o);
            const QString tip = carrier->property("toolTip").toString();
            const QString status = carrier->property("statusTip").toString();
            return tip == status ? tip : tip + QLatin1Char('|') + status;
        }
        }
        return {};
    }

    // Overwrites every text, so that a text the routine fails to write cannot pass for one it
    // wrote (several read the same in two languages).
    void scribble()
    {
        const QString junk = QStringLiteral("#");
        for (const LanguageText &entry : allTexts()) {
            QObject *o = control(entry);
            switch (entry.target) {
            case TextTarget::WindowCaption:
                window->setWindowTitle(junk);
                break;
            case TextTarget::MenuCaption:
                if (auto *menu = qobject_cast<QMenu *>(o))
                    menu->setTitle(junk);
                else
                    qobject_cast<QAction *>(o)->setText(junk);
                break;
            case TextTarget::TabCaption:
                pages()->setTabText(pages()->indexOf(qobject_cast<QWidget *>(o)), junk);
                break;
            case TextTarget::GroupTitle:
                qobject_cast<QGroupBox *>(o)->setTitle(junk);
                break;
            case TextTarget::Caption:
                if (auto *label = qobject_cast<QLabel *>(o))
                    label->setText(junk);
                else
                    qobject_cast<QAbstractButton *>(o)->setText(junk);
                break;
            case TextTarget::Hint:
            case TextTarget::MenuHint:
                hintCarrier(o)->setProperty("toolTip", junk);
                hintCarrier(o)->setProperty("statusTip", junk);
                break;
            }
        }
    }

    std::vector<QString> checkedLanguageItems() const
    {
        std::vector<QString> checked;
        for (const char *name : {"MenuCzech", "MenuEnglish", "MenuGerman"})
            if (find<QAction>(QString::fromUtf8(name))->isChecked())
                checked.push_back(QString::fromUtf8(name));
        return checked;
    }

    void checkAllLanguageItems()
    {
        for (const char *name : {"MenuCzech", "MenuEnglish", "MenuGerman"})
            find<QAction>(QString::fromUtf8(name))->setChecked(true);
    }
};

} // namespace

TEST(LanguageTexts, CountsAndOrderByTarget)
{
    const auto texts = ui::languageTexts();
    ASSERT_EQ(texts.size(), 97u);
    const std::map<TextTarget, std::size_t> expected = {
        {TextTarget::WindowCaption, 1}, {TextTarget::MenuCaption, 21}, {TextTarget::TabCaption, 5},
        {TextTarget::GroupTitle, 9},    {TextTarget::Caption, 22},     {TextTarget::Hint, 15},
        {TextTarget::MenuHint, 24}};
    std::map<TextTarget, std::size_t> counted;
    for (const LanguageText &entry : texts)
        ++counted[entry.target];
    EXPECT_EQ(counted, expected);

    // Written in one run per target, in the order of the enumeration.
    for (std::size_t i = 1; i < texts.size(); ++i)
        EXPECT_LE(texts[i - 1].target, texts[i].target) << texts[i].control;
    EXPECT_EQ(ui::commonTexts().size(), 10u);
}

TEST(LanguageTexts, EveryEntryHasAllThreeLanguagesAndOneSlot)
{
    std::set<std::pair<std::string, TextTarget>> seen;
    for (const LanguageText &entry : allTexts()) {
        for (std::uint8_t language : {kCzech, kEnglish, kGerman}) {
            ASSERT_NE(entry.text.pick(language), nullptr) << entry.control;
            EXPECT_FALSE(textOf(entry, language).trimmed().isEmpty()) << entry.control;
        }
        // A second entry for the same property would overwrite the first one.
        EXPECT_TRUE(seen.insert({entry.control, entry.target}).second) << entry.control;
    }
}

TEST(LanguageTexts, StoredTextsPerLanguage)
{
    struct Row {
        std::uint8_t language;
        const char *saving;
        const char *versionMismatch;
        const char *programDone;
    };
    const Row rows[] = {
        {kCzech, "Ukládání:", "Neshodné verze proramu v PC a v zapalování!", "Programování:"},
        {kEnglish, "Saving:", "Unmatched version of PC and Ignition programs!", "Program device:"},
        {kGerman, "Speicherung:",
         "Programm der Zündung ist nicht kompatibel mit dem Programm am PC!", "Programmieren:"},
    };
    for (const Row &row : rows) {
        const ui::StoredTexts stored = ui::storedTexts(row.language);
        EXPECT_EQ(stored.saving, QString::fromUtf8(row.saving));
        EXPECT_EQ(stored.versionMismatch, QString::fromUtf8(row.versionMismatch));
        EXPECT_EQ(stored.programDone, QString::fromUtf8(row.programDone));
    }
}

TEST(LanguageTexts, ControlsMissingFromTheWindowArePassedOver)
{
    QWidget bare;
    auto *label = new QLabel(&bare);
    label->setObjectName(QStringLiteral("Label2"));
    ui::applyLanguage(&bare, kGerman);
    EXPECT_EQ(label->text(), QString::fromUtf8("Vorzündung [°]"));
    EXPECT_EQ(bare.windowTitle(), QString::fromUtf8("Programmierung der Velmora 05 Zündbox"));
}

TEST_F(LanguageTest, EveryNamedControlExistsOnceWithItsKind)
{
    open({QStringLiteral("ENGLISH")});
    EXPECT_EQ(window->objectName(), QString::fromUtf8(ui::languageTexts().front().control));
    for (const LanguageText &entry : allTexts()) {
        const QString name = QString::fromUtf8(entry.control);
        if (entry.target == TextTarget::WindowCaption)
            continue;
        ASSERT_EQ(window->findChildren<QObject *>(name).size(), 1) << entry.control;
        QObject *o = control(entry);
        bool kind = false;
        switch (entry.target) {
        case TextTarget::WindowCaption:
            break;
        case TextTarget::MenuCaption:
        case TextTarget::MenuHint:
            kind = qobject_cast<QMenu *>(o) || qobject_cast<QAction *>(o);
            break;
        case TextTarget::TabCaption:
            kind = pages()->indexOf(qobject_cast<QWidget *>(o)) >= 0;
            break;
        case TextTarget::GroupTitle:
            kind = qobject_cast<QGroupBox *>(o) != nullptr;
            break;
        case TextTarget::Caption:
            kind = qobject_cast<QLabel *>(o) || qobject_cast<QAbstractButton *>(o);
            break;
        case TextTarget::Hint:
            kind = qobject_cast<QWidget *>(o) && !qobject_cast<QMenu *>(o);
            break;
        }
        EXPECT_TRUE(kind) << entry.control;
    }
}

TEST_F(LanguageTest, EachLanguageTicksItsOwnItemOnly)
{
    open({QStringLiteral("ENGLISH")});
    const std::pair<std::uint8_t, const char *> items[] = {
        {kCzech, "MenuCzech"}, {kEnglish, "MenuEnglish"}, {kGerman, "MenuGerman"}};
    for (const auto &[language, item] : items) {
        checkAllLanguageItems();
        ui::applyLanguage(window.get(), language);
        EXPECT_EQ(checkedLanguageItems(), std::vector<QString>{QString::fromUtf8(item)});
    }
    ui::applyLanguage(window.get(), kCzech);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Programování jednotky Velmora 05"));
}

TEST_F(LanguageTest, AnIndexBeyondGermanReadsAsEnglishThroughout)
{
    open({QStringLiteral("ENGLISH")});
    ui::applyLanguage(window.get(), kCzech);
    ui::applyLanguage(window.get(), 7);
    EXPECT_EQ(checkedLanguageItems(), std::vector<QString>{QStringLiteral("MenuEnglish")});
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Programming of Velmora 05 unit"));
}

TEST_F(LanguageTest, EverySwitchRewritesEveryText)
{
    open({QStringLiteral("ENGLISH")});
    for (std::uint8_t language : {kCzech, kEnglish, kGerman, kEnglish}) {
        scribble();
        ui::applyLanguage(window.get(), language);
        // Captions keep their "&" access marks exactly as written.
        for (const LanguageText &entry : allTexts())
            EXPECT_EQ(shown(entry), textOf(entry, language))
                << entry.control << " in language " << int(language);
    }
}

TEST_F(LanguageTest, HintsSplitAtTheBar)
{
    open({QStringLiteral("ENGLISH")});
    ui::applyLanguage(window.get(), kEnglish);
    auto *rpm = find<QLabel>(QStringLiteral("Label1"));
    EXPECT_EQ(rpm->toolTip(), QStringLiteral("Round per Minute"));
    EXPECT_EQ(rpm->statusTip(), QStringLiteral("Speed - Round per Minute"));
    auto *com = find<QAction>(QStringLiteral("MenuComItem"));
    EXPECT_EQ(com->toolTip(), QStringLiteral("Com"));
    EXPECT_EQ(com->statusTip(), QStringLiteral("Set number of com"));
    EXPECT_EQ(find<QAction>(QStringLiteral("MenuNew"))->statusTip(),
              QStringLiteral("Set default parameters "));

    // A hint without a bar replaces both parts of one that had it.
    ui::applyLanguage(window.get(), kGerman);
    EXPECT_EQ(rpm->toolTip(), QStringLiteral("Umdrehungen pro Minute"));
    EXPECT_EQ(rpm->statusTip(), QStringLiteral("Umdrehungen pro Minute"));

    ui::applyLanguage(window.get(), kCzech);
    auto *com1 = find<QAction>(QStringLiteral("MenuCom1"));
    EXPECT_EQ(com1->toolTip(), QString::fromUtf8("Nastavení komunikace na port com 1"));
    EXPECT_EQ(com1->statusTip(), QString::fromUtf8("Nastavení komunikace na port com 1"));
    EXPECT_EQ(find<QAction>(QStringLiteral("MenuCom10"))->statusTip(),
              QString::fromUtf8("Nastavení komunikace na port com 10"));
    auto *program = find<QAction>(QStringLiteral("MenuProgram"));
    EXPECT_EQ(program->toolTip(), QString::fromUtf8("Programování jednotky"));
    EXPECT_EQ(program->statusTip(),
              QString::fromUtf8("Programování nastavených parametrů do jednotky"));
}

TEST_F(LanguageTest, LanguageItemsKeepTheirOwnHintsInEveryLanguage)
{
    open({QStringLiteral("ENGLISH")});
    const std::pair<const char *, const char *> hints[] = {{"MenuEnglish", "Set Englich menu"},
                                                           {"MenuCzech", "Nastavit české menu"},
                                                           {"MenuGerman", "Deutche Menü"}};
    for (std::uint8_t language : {kCzech, kEnglish, kGerman}) {
        ui::applyLanguage(window.get(), language);
        for (const auto &[item, hint] : hints)
            EXPECT_EQ(find<QAction>(QString::fromUtf8(item))->statusTip(), QString::fromUtf8(hint))
                << item << " in language " << int(language);
    }
}

TEST_F(LanguageTest, LeavesTpCaptionsAndMonitorTextsAlone)
{
    open({QStringLiteral("ENGLISH")});
    const QString mark = QStringLiteral("untouched");
    const int tpPages[] = {pages()->indexOf(find<QWidget>(QStringLiteral("TabSheet_Tp14"))),
                           pages()->indexOf(find<QWidget>(QStringLiteral("TabSheet_Tp23")))};
    for (int page : tpPages)
        pages()->setTabText(page, mark);
    const char *items[] = {"MenuTP14", "MenuTP23"};
    for (const char *item : items)
        find<QAction>(QString::fromUtf8(item))->setText(mark);
    const char *monitor[] = {"LabelRpm",           "LabelTpsMon",  "LabelLambda",
                             "LabelVoda",          "LabelTlak",    "LabelNapeti",
                             "LabelMaxInjProcent", "LabelHlaseni", "LabelVersion"};
    for (const char *label : monitor)
        find<QLabel>(QString::fromUtf8(label))->setText(mark);
    find<QCheckBox>(QStringLiteral("CheckBoxExtMonitor"))->setText(mark);

    for (std::uint8_t language : {kCzech, kGerman, kEnglish}) {
        ui::applyLanguage(window.get(), language);
        for (int page : tpPages)
            EXPECT_EQ(pages()->tabText(page), mark);
        for (const char *item : items)
            EXPECT_EQ(find<QAction>(QString::fromUtf8(item))->text(), mark) << item;
        for (const char *label : monitor)
            EXPECT_EQ(find<QLabel>(QString::fromUtf8(label))->text(), mark) << label;
        EXPECT_EQ(find<QCheckBox>(QStringLiteral("CheckBoxExtMonitor"))->text(), mark);
    }
}

TEST_F(LanguageTest, LanguageMenuRenamesTheTpTabsForTheModeInForce)
{
    open({QStringLiteral("ENGLISH")});
    struct Case {
        std::uint8_t mode;
        const char *item;
        std::uint8_t language;
        const char *tp14;
        const char *tp23;
    };
    const Case cases[] = {
        {1, "MenuGerman", kGerman, "TP Karte 14", "TP Karte 23 (g.)"},
        {1, "MenuCzech", kCzech, "TP mapa 14", "TP mapa 23 (s.)"},
        {3, "MenuGerman", kGerman, "    ", "TP Karte 23"},
        {2, "MenuEnglish", kEnglish, "TP Map 14", "  "},
    };
    for (const Case &c : cases) {
        // The mode changes behind the window's back: only the language item can caption the tabs.
        window->image()[layout::kTpsMode] = c.mode;
        pages()->setTabText(1, QStringLiteral("#"));
        pages()->setTabText(2, QStringLiteral("#"));
        find<QAction>(QString::fromUtf8(c.item))->trigger();
        EXPECT_EQ(window->language(), c.language);
        EXPECT_EQ(pages()->tabText(1), QString::fromUtf8(c.tp14))
            << c.item << " mode " << int(c.mode);
        EXPECT_EQ(pages()->tabText(2), QString::fromUtf8(c.tp23))
            << c.item << " mode " << int(c.mode);
    }
}

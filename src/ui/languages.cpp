// The language routines and the common routine that follows each of them. The texts are data:
// one table row per control property, each with its Czech, English and German wording.
#include "languages.h"

#include "link/link_texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

namespace velmora::ui {

namespace {

using enum TextTarget;

// Triples read Czech, English, German. The misspellings, doubled and trailing blanks are the
// wording our users know; they are kept on purpose.
constexpr LanguageText kLanguageTexts[] = {
    {"FormHlav",
     WindowCaption,
     {"Programování jednotky Velmora 05", "Programming of Velmora 05 unit",
      "Programmierung der Velmora 05 Zündbox"}},

    {"MenuFile", MenuCaption, {"&Soubor", "&File", "&Datei"}},
    {"MenuNew", MenuCaption, {"&Nový", "&New", "&Neu"}},
    {"MenuOpen", MenuCaption, {"&Otevřít", "&Open", "&Öffnen"}},
    {"MenuSave", MenuCaption, {"&Uložit", "&Save", "&Speichern"}},
    {"MenuPrint", MenuCaption, {"&Tisk", "&Print", "&Drucken"}},
    {"MenuExit", MenuCaption, {"&Konec", "E&xit", "&Beenden"}},
    {"MenuCom", MenuCaption, {"&Port", "&Com", "&ComPort"}},
    {"MenuDevice", MenuCaption, {"&Zapalování", "&Device", "&Zündbox"}},
    {"MenuRead", MenuCaption, {"Čí&st", "&Read", "&Lesen"}},
    {"MenuVerify", MenuCaption, {"&Kontrola", "&Verify", "&Vergleichen"}},
    {"MenuProgram", MenuCaption, {"&Programovat", "&Program", "&Programmieren"}},
    {"MenuTPmode", MenuCaption, {"Mód TP mapy", "TP map mode", "TP Karte Modus"}},
    {"MenuTpNormal", MenuCaption, {"Oddělený", "Separate", "Abgeteilt"}},
    {"MenuTpConnected", MenuCaption, {"Spřažený", "Coupled", "Gekoppelt"}},
    {"MenuLanguage", MenuCaption, {"&Jazyk", "&Language", "&Sprache"}},
    {"MenuEnglish", MenuCaption, {"&Anglicky", "English", "Englisch"}},
    {"MenuCzech", MenuCaption, {"Če&sky", "&Czech", "&Tschechisch"}},
    {"MenuGerman", MenuCaption, {"&Německy", "&German", "&Deutsch"}},
    {"MenuHelp", MenuCaption, {"&Nápověda", "&Help", "&Hilfe"}},
    {"MenuContens", MenuCaption, {"&Obsah...", "&Contents...", "&Inhalt..."}},
    {"MenuAbout", MenuCaption, {"&O programu...", "&About...", "&Über Programm..."}},

    {"TabSheet_Ign", TabCaption, {"Zapalování", "Ignition", "Zündung"}},
    {"TabSheet_Iap", TabCaption, {"IAP mapa", "IAP Map", "IAP Karte"}},
    {"TabSheet5", TabCaption, {"Různé", "Miscellaneous", "Verschiedene"}},
    {"TabSheet_Servo", TabCaption, {"Servo", "Servo", "Servo"}},
    {"TabSheetLadeni", TabCaption, {"Ladění", "Tuning", "Einstellung"}},

    {"GroupBox1", GroupTitle, {"Předstih", "Advance", "Vorzündung"}},
    {"GroupBox3", GroupTitle, {"Různé", "Other", "Andere"}},
    {"GroupBoxAkcel",
     GroupTitle,
     {"Akcelerační přístřik", "Acceleration Injection", "Akzelerationspritz"}},
    {"GroupBoxChlazeni", GroupTitle, {"Chlazení", "Cooling", "Kühlung"}},
    {"GroupBoxKlapkaSani", GroupTitle, {"Klapka sání", "Intake Duct Valve", "Ansaugluftklappe"}},
    {"GroupBoxVodaVzduch",
     GroupTitle,
     {"Teplotní korekce", "Temperature Corrections", "Temperature Korrektionen"}},
    {"GroupBoxStartJet", GroupTitle, {"Startovní přístřik", "Start Injection", "Start Einspritz"}},
    {"GroupBoxSytic",
     GroupTitle,
     {"Korekce po startu", "Starting Corrections", "Anlaßkorrektionen"}},
    {"GroupBoxPrivera", GroupTitle, {"Servo", "Servo", "Servo"}},

    {"CheckBoxIgnAll", Caption, {"Vše", "All", "Alle"}},
    {"CheckBoxJetTpsAll", Caption, {"Vše", "All", "Alle"}},
    {"CheckBoxJetTpsAlli", Caption, {"Vše", "All", "Alle"}},
    {"CheckBoxJetIapAll", Caption, {"Vše", "All", "Alle"}},
    {"CheckBoxProgHned",
     Caption,
     {"Programování po změně", "Programming after change", "Programmieren nach Änderung"}},
    {"Button1", Caption, {"Čí&st", "&Read", "&Lesen"}},
    {"BitBtn1", Caption, {"&Programovat", "&Program", "&Programmieren"}},
    {"BitBtn2", Caption, {"&Kontrola", "&Verify", "&Vergleichen"}},
    {"Label2", Caption, {"Předstih [°]", "Advance [°]", "Vorzündung [°]"}},
    {"LabelOmez2", Caption, {"Omezovač [rpm]", "Limiter [rpm]", "Begrenzer [rpm]"}},
    {"Label10", Caption, {"Kontrolka řazení [rpm]", "Gear Shift Light [rpm]", "Schaltblitz [rpm]"}},
    {"CheckBoxBlokEnable", Caption, {"Povolit blokování", "Blocking enable", "Sperre freigeben"}},
    {"LabelFile1", Caption, {"Soubor:", "File:", "Datei:"}},
    {"LabelAkcelPrah", Caption, {"Práh [%/s]", "Threshold [%/s]", "Schwelle [%/s]"}},
    {"LabelAkcelJet", Caption, {"Velikost [us]", "Size[us]", "Größe [us]"}},
    {"LabelVoda2", Caption, {"Chladicí kapalina", "Coolant", "Kühlmittel"}},
    {"LabelVzduch2", Caption, {"Nasávaný vzduch", "Inlet Air", "Ansaugluft"}},
    {"LabelSyticCas", Caption, {"Čas [s]", "Time [s]", "Zeit [s]"}},
    {"LabelSyticKorekce",
     Caption,
     {"Korekce pro -10°C [%]", "Corrections for -10°C [%]", "Korrektionen für -10°C [%]"}},
    {"CheckBoxPrivEnable", Caption, {"Povolit servo", "Servo Enable", "Servo freigeben"}},
    {"LabelPrivHyster",
     Caption,
     {"Hystereze [mV]", "Sevro Hysteresis [mV]", "Servo Hysteresis [mV]"}},
    {"CheckBoxPrivAll", Caption, {"Vše", "All", "Alle"}},

    {"ComboBoxBike", Hint, {"Typ motocyklu", "Motorbike Type", "Motorradtyp"}},
    {"Label1",
     Hint,
     {"Otáčky za minutu|Rychlost - Otáčky za minutu", "Round per Minute|Speed - Round per Minute",
      "Umdrehungen pro Minute"}},
    {"LabelVerze1",
     Hint,
     {"Verze programu v zapalování", "Version of program in ignition",
      "Version des Programms in der Zündung"}},
    {"LabelVerze2",
     Hint,
     {"Datum programu v zapalování", "Date of program in ignition",
      "Datum des Programms in der Zündung"}},
    {"LabelVerze3",
     Hint,
     {"Čas programu v zapalování", "Time of program in ignition",
      "Zeit des Programms in der Zündung"}},
    {"SpeedButton5",
     Hint,
     {"Otevřít soubor s parametry", "Open file with parametrs", "Datei mit Parametern öffnen"}},
    {"SpeedButton6",
     Hint,
     {"Nastavit základní parametry", "Set default parametrs", "Standardparameter einstellen"}},
    {"SpeedButton7",
     Hint,
     {"Uložit parametry do souboru", "Save parametrs to file", "Parameter in Datei speichern"}},
    {"SpeedButtonPrint", Hint, {"Tisk parametrů", "Print parametrs", "Parameter drucken"}},
    {"BitBtn1",
     Hint,
     {"Naprogramovat nastavené parametry do zapalování", "Programing  set parametrs to ignition",
      "Eingestellte Parameter in die Zündung programmieren"}},
    {"BitBtn2",
     Hint,
     {"Porovnat nastavené parametry s parametry v zapalování",
      "Compare set parametrs  with parametrs of ignition",
      "Eingestellte Parameter mit den Parametern der Zündung vergleichen"}},
    {"BitBtnIgnMinus",
     Hint,
     {"Ubrat 1 stupeň předstihu", "Take off 1 degree of Advance",
      "Vorzündung um 1 Grad verringern"}},
    {"BitBtnIgnPlus",
     Hint,
     {"Přidat 1 stupeň předstihu", "Add 1 degree of Advance", "Vorzündung um 1 Grad erhöhen"}},
    {"Button1",
     Hint,
     {"Čtení parametrů ze zapalování", "Reading parametrs from ignition",
      "Parameter aus der Zündung lesen"}},
    {"CheckBoxProgHned",
     Hint,
     {"Programování ihned po změně", "Programing at once after change",
      "Sofort nach Änderung programmieren"}},

    {"MenuNew",
     MenuHint,
     {"Nastavit základní parametry", "Set default parameters ", "Standardparameter einstellen"}},
    {"MenuOpen",
     MenuHint,
     {"Otevřít soubor s parametry", "Open file with parameters ", "Datei mit Parametern öffnen"}},
    {"MenuSave",
     MenuHint,
     {"Uložit parametry do souboru", "Save parameters to file", "Parameter in Datei speichern"}},
    {"MenuPrint", MenuHint, {"Tisk parametrů", "Print parameters", "Parameter drucken"}},
    {"MenuExit", MenuHint, {"Ukončení programu", "End of program", "Programm beenden"}},
    {"MenuCom",
     MenuHint,
     {"Nastavení čísla serivého portu (Com) ", "Com|Set number of com", "Com Port festlegen"}},
    {"MenuCom1",
     MenuHint,
     {"Nastavení komunikace na port com 1", "Set com 1", "Com 1 festzustellen"}},
    {"MenuCom2",
     MenuHint,
     {"Nastavení komunikace na port com 2", "Set com 2", "Com 2 festzustellen"}},
    {"MenuCom3",
     MenuHint,
     {"Nastavení komunikace na port com 3", "Set com 3", "Com 3 festzustellen"}},
    {"MenuCom4",
     MenuHint,
     {"Nastavení komunikace na port com 4", "Set com 4", "Com 4 festzustellen"}},
    {"MenuCom5",
     MenuHint,
     {"Nastavení komunikace na port com 5", "Set com 5", "Com 5 festzustellen"}},
    {"MenuCom6",
     MenuHint,
     {"Nastavení komunikace na port com 6", "Set com 6", "Com 6 festzustellen"}},
    {"MenuCom7",
     MenuHint,
     {"Nastavení komunikace na port com 7", "Set com 7", "Com 7 festzustellen"}},
    {"MenuCom8",
     MenuHint,
     {"Nastavení komunikace na port com 8", "Set com 8", "Com 8 festzustellen"}},
    {"MenuCom9",
     MenuHint,
     {"Nastavení komunikace na port com 9", "Set com 9", "Com 9 festzustellen"}},
    {"MenuCom10",
     MenuHint,
     {"Nastavení komunikace na port com 10", "Set com 10", "Com 10 festzustellen"}},
    {"MenuRead",
     MenuHint,
     {"Čtení parametrů z jednotky", "Reading parameters from unit",
      "Parameter aus der Zündbox lesen"}},
    {"MenuVerify",
     MenuHint,
     {"Porovnání nastavených parametrů s parametry jednotky",
      "Compare set parameters  with parameters of unit",
      "Eingestellte Parameter mit den Parametern der Zündbox vergleichen"}},
    {"MenuProgram",
     MenuHint,
     {"Programování jednotky|Programování nastavených parametrů do jednotky",
      "Programing  set parameters to unit", "Programmieren der Kenndaten auf die Zündbox"}},
    {"MenuLanguage",
     MenuHint,
     {"Nastavení jazyka na angličtinu, češtinu nebo němčinu",
      "Language|Set English or Czech or German", "Sprache"}},
    // Each language item names itself in its own language, whichever language is in force.
    {"MenuEnglish", MenuHint, {"Set Englich menu", "Set Englich menu", "Set Englich menu"}},
    {"MenuCzech", MenuHint, {"Nastavit české menu", "Nastavit české menu", "Nastavit české menu"}},
    {"MenuGerman", MenuHint, {"Deutche Menü", "Deutche Menü", "Deutche Menü"}},
    {"MenuHelp", MenuHint, {"Není k dispozici", "Not available jet", "Noch nicht verfügbar"}},
};
static_assert(std::size(kLanguageTexts) == 97);

constexpr LanguageText kCommonTexts[] = {
    {"LabelLadeni",
     Caption,
     {"Pozor - pouze pro zkušené uživatele!", "Caution - For experienced user only!",
      "Achtung - Nur für Erfahrungsanwender!"}},
    {"CheckBoxLadeniPovoleno",
     Caption,
     {"Automatické ladění povoleno", "Automatic tuning unlock",
      "Automatisch Einstellung bewilligt"}},
    {"GroupBoxLadeni", GroupTitle, {"Ladění", "Tuning", "Einstellung"}},
    {"CheckBoxLadeniOn", Caption, {"Ladění zapnuto", "Tuning On", "Einstellung ein"}},
    {"LabelLadeniLambda", Caption, {"Lambda požadovaná [mV]", "Lambda required", "Soll-Lambda"}},
    {"LabelLadeniHyster",
     Caption,
     {"Požadovaná přesnost lambdy [mV]", "Required accuracy of lambda",
      "Soll-Genauigkeit des Lambda"}},
    {"LabelLadeniRpm", Caption, {"Max odchylka RPM", "Max deviation RPM", "Max. Differenz RPM"}},
    {"LabelLadeniTps",
     Caption,
     {"Max odchylka TPS, IAP [%]", "Max deviation TPS, IAP [%]", "Max. Differenz TPS, IAP [%]"}},
    {"LabelLadeniCas", Caption, {"Doba kroku [ms]", "Time step [ms]", "Schrittweite [ms]"}},
    {"LabelEeDataErr",
     Caption,
     {"Chyba naprogramovaných dat!", "Programmed data error!", "Abgelegte Daten Fehler!"}},
};
static_assert(std::size(kCommonTexts) == 10);

// Captions of our own layout that the two tables above do not hold, switched with them.
constexpr LanguageText kLayoutTexts[] = {
    {"LabelIapToTps", Caption, {"IAP na TPS [%]", "IAP to TPS [%]", "IAP zu TPS [%]"}},
    {"LabelSetTps0",
     Caption,
     {"Napětí při 0 % [mV]", "Voltage at 0 % [mV]", "Spannung bei 0 % [mV]"}},
    {"LabelSetTps100",
     Caption,
     {"Napětí při 100 % [mV]", "Voltage at 100 % [mV]", "Spannung bei 100 % [mV]"}},
    {"MenuEdit", MenuCaption, {"Úpr&avy", "&Edit", "&Bearbeiten"}},
    {"MenuUndo",
     MenuHint,
     {"Zpět|Vrátit poslední změnu parametrů", "Undo|Take back the last change of the parameters",
      "Rückgängig|Die letzte Änderung der Parameter zurücknehmen"}},
    {"MenuRedo",
     MenuHint,
     {"Znovu|Provést vrácenou změnu parametrů znovu", "Redo|Make the change taken back again",
      "Wiederholen|Die zurückgenommene Änderung erneut ausführen"}},
    {"MenuPortSetup",
     MenuCaption,
     {"&Nastavení portů...", "Port &setup...", "Port-&Einstellungen..."}},
    {"MenuPortSetup",
     MenuHint,
     {"Nastavení portů|Přiřadit sériové porty číslům portů",
      "Port setup|Assign serial ports to COM numbers",
      "Port-Einstellungen|Serielle Ports den COM-Nummern zuordnen"}},
    {"MenuCompare", MenuCaption, {"Po&rovnat...", "Co&mpare...", "Ver&gleich..."}},
    {"MenuCompare",
     MenuHint,
     {"Porovnat|Porovnat parametry se souborem, s jednotkou nebo s historií jednotky",
      "Compare|Compare the parameters with a file, the unit or the unit history",
      "Vergleich|Die Parameter mit einer Datei, der Zündbox oder dem Verlauf vergleichen"}},
    {"MenuUnitHistory",
     MenuCaption,
     {"&Historie jednotky...", "Unit &history...", "&Geräteverlauf..."}},
    {"MenuUnitHistory",
     MenuHint,
     {"Historie jednotky|Parametry přečtené z jednotky a naprogramované do ní",
      "Unit history|Parameter sets read from and programmed into units",
      "Geräteverlauf|Aus Geräten gelesene und in sie programmierte Parameter"}},
    {"MenuKeepHistory",
     MenuCaption,
     {"&Vést historii jednotky", "&Keep unit history", "Geräteverlauf &führen"}},
    {"MenuKeepHistory",
     MenuHint,
     {"Vést historii|Každé úspěšné čtení a programování uložit do historie",
      "Keep unit history|Keep every successful Read and Program in the history",
      "Geräteverlauf führen|Jedes erfolgreiche Lesen und Programmieren im Verlauf ablegen"}},
    {"MenuBackupFirst",
     MenuCaption,
     {"&Zálohovat jednotku před programováním", "&Back up the unit before programming",
      "Gerät vor dem Programmieren &sichern"}},
    {"MenuBackupFirst",
     MenuHint,
     {"Zálohovat|Před programováním přečíst parametry jednotky do historie",
      "Back up|Read the unit's parameters into the history before programming",
      "Sichern|Vor dem Programmieren die Parameter des Geräts in den Verlauf lesen"}},
    {"MenuLog",
     MenuHint,
     {"Záznam|Zapisovat každou odpověď monitoru do souboru CSV",
      "Log|Write every monitor reply into a CSV file",
      "Protokoll|Jede Antwort der Überwachung in eine CSV-Datei schreiben"}},
    {"MenuLogTo",
     MenuCaption,
     {"Záznam do &souboru...", "Log to &file...", "Protokoll in Da&tei..."}},
    {"MenuLogTo",
     MenuHint,
     {"Záznam do souboru|Zvolit soubor a zapisovat do něj záznam jízdy",
      "Log to file|Choose a file and log the ride into it",
      "Protokoll in Datei|Eine Datei wählen und die Fahrt in ihr protokollieren"}},
    {"MenuOpenLog",
     MenuCaption,
     {"Otevřít záznam &jízdy...", "&Open log...", "&Aufzeichnung öffnen..."}},
    {"MenuOpenLog",
     MenuHint,
     {"Otevřít záznam|Záznam jízdy v grafu, s kurzorem a lambdou podle buněk map",
      "Open log|A ride log as a plot, with a cursor and the lambda by map cell",
      "Aufzeichnung öffnen|Eine Fahrtaufzeichnung als Diagramm, mit Cursor und Lambda je "
      "Kennfeldzelle"}},
    {"MenuGraphs", MenuCaption, {"&Grafy", "&Graphs", "&Diagramme"}},
    {"MenuGraphs",
     MenuHint,
     {"Grafy|Křivky a mapy jako grafy v samostatném okně",
      "Graphs|The curves and maps as pictures in a window of their own",
      "Diagramme|Die Kurven und Kennfelder als Bilder in einem eigenen Fenster"}},
    {"MenuAnalysis", MenuCaption, {"&Rozbor map...", "&Map analysis...", "&Kennfeldanalyse..."}},
    {"MenuAnalysis",
     MenuHint,
     {"Rozbor map|Návrh každé navštívené buňky map vstřiku ze záznamu jízdy, ke kontrole a použití",
      "Map analysis|A proposal for every visited injection-map cell from a ride log, to review "
      "and apply",
      "Kennfeldanalyse|Ein Vorschlag für jede besuchte Zelle der Einspritzkennfelder aus einer "
      "Fahrtaufzeichnung, zum Prüfen und Übernehmen"}},
};

// The stored texts are the ones the link shows; one table serves both.
using link::text::kProgramDone;
using link::text::kSaving;
constexpr const Triple &kVersionMismatch = link::text::kStoredVersionMismatch;

// The language menu item of each index.
constexpr const char *kLanguageItems[] = {"MenuCzech", "MenuEnglish", "MenuGerman"};

constexpr std::uint8_t kEnglish = 1;

using ObjectMap = QHash<QString, QObject *>;

// One walk over the window instead of a search per text: the window holds some thousand objects.
ObjectMap objectsByName(QWidget *window)
{
    ObjectMap map;
    const QList<QObject *> objects = window->findChildren<QObject *>();
    map.reserve(objects.size());
    for (QObject *object : objects) {
        const QString name = object->objectName();
        if (!name.isEmpty() && !map.contains(name))
            map.insert(name, object);
    }
    return map;
}

template <typename T> void setHint(T *target, const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    target->setToolTip(bar < 0 ? hint : hint.left(bar));
    target->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

void setTabCaption(QWidget *page, const QString &text)
{
    // A page sits in the tab widget's own stack, so its tab widget is further up than its parent.
    for (QObject *up = page->parent(); up; up = up->parent()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(up)) {
            const int index = tabs->indexOf(page);
            if (index >= 0)
                tabs->setTabText(index, text);
            return;
        }
    }
}

void write(QObject *object, TextTarget target, const QString &text)
{
    switch (target) {
    case WindowCaption:
        if (auto *w = qobject_cast<QWidget *>(object))
            w->setWindowTitle(text);
        break;
    case MenuCaption:
        if (auto *menu = qobject_cast<QMenu *>(object))
            menu->setTitle(text);
        else if (auto *action = qobject_cast<QAction *>(object))
            action->setText(text);
        break;
    case TabCaption:
        if (auto *page = qobject_cast<QWidget *>(object))
            setTabCaption(page, text);
        break;
    case GroupTitle:
        if (auto *group = qobject_cast<QGroupBox *>(object))
            group->setTitle(text);
        break;
    case Caption:
        if (auto *label = qobject_cast<QLabel *>(object))
            label->setText(text);
        else if (auto *button = qobject_cast<QAbstractButton *>(object))
            button->setText(text);
        break;
    case Hint:
    case MenuHint:
        // A menu's own hint belongs to its entry in the menu bar, not to the menu window.
        if (auto *menu = qobject_cast<QMenu *>(object))
            setHint(menu->menuAction(), text);
        else if (auto *action = qobject_cast<QAction *>(object))
            setHint(action, text);
        else if (auto *widget = qobject_cast<QWidget *>(object))
            setHint(widget, text);
        break;
    }
}

void writeTexts(QWidget *window, const ObjectMap &objects, std::span<const LanguageText> texts,
                std::uint8_t language)
{
    for (const LanguageText &entry : texts) {
        // The caption belongs to whatever window we were given, whatever its name.
        QObject *object =
            entry.target == WindowCaption ? window : objects.value(QLatin1String(entry.control));
        if (object)
            write(object, entry.target, QString::fromUtf8(entry.text.pick(language)));
    }
}

void checkLanguageItem(const ObjectMap &objects, std::uint8_t language)
{
    for (std::uint8_t index = 0; index < std::size(kLanguageItems); ++index)
        if (auto *item =
                qobject_cast<QAction *>(objects.value(QLatin1String(kLanguageItems[index]))))
            item->setChecked(index == language);
}

void applyCommon(QWidget *window, const ObjectMap &objects, std::uint8_t language)
{
    checkLanguageItem(objects, language);
    writeTexts(window, objects, kCommonTexts, language);
}

} // namespace

std::span<const LanguageText> languageTexts()
{
    return kLanguageTexts;
}

std::span<const LanguageText> commonTexts()
{
    return kCommonTexts;
}

std::span<const LanguageText> layoutTexts()
{
    return kLayoutTexts;
}

StoredTexts storedTexts(std::uint8_t language)
{
    return {QString::fromUtf8(kSaving.pick(language)),
            QString::fromUtf8(kVersionMismatch.pick(language)),
            QString::fromUtf8(kProgramDone.pick(language))};
}

void applyLanguage(QWidget *window, std::uint8_t language)
{
    // The texts read any unknown index as English; the check mark must agree with them.
    if (language >= std::size(kLanguageItems))
        language = kEnglish;
    const ObjectMap objects = objectsByName(window);
    checkLanguageItem(objects, language);
    writeTexts(window, objects, kLanguageTexts, language);
    applyCommon(window, objects, language);
    writeTexts(window, objects, kLayoutTexts, language);
}

} // namespace velmora::ui

#include "window_fixture.h"

#include "../files/file_size_limit.h"

#include "files/parameter_file.h"
#include "model/parameter_set.h"

#include <QAction>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>

using namespace velmora;
using namespace velmora::layout;
using velmora::test::WindowTest;

namespace {

class FileCommandsTest : public WindowTest {
protected:
    QString path(const char *name) const { return folder.filePath(QString::fromUtf8(name)); }
    static std::string contents(const QString &file)
    {
        std::ifstream in(file.toStdString(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // A parameter file of model 2 with one value changed, written by the format code itself.
    QString writeModel2File(const char *name)
    {
        DeviceImage image;
        image[kBike] = 2;
        applyDefaults(image);
        consistencyPass(image);
        image[kAdvance + 5] = 21;
        const QString file = path(name);
        EXPECT_TRUE(files::saveParameterFile(file.toStdString(), image, true));
        return file;
    }
    QLabel *fileLabel() const { return find<QLabel>(QStringLiteral("LabelFile2")); }

    QTemporaryDir folder;
};

} // namespace

TEST_F(FileCommandsTest, OpenTakesTheFileAndItsModelConstants)
{
    open({QStringLiteral("ENGLISH")});
    const QString file = writeModel2File("model2.ign");
    window->image()[kModelByte110] = 0;
    dialogs.openPaths = {file};
    find<QAction>(QStringLiteral("MenuOpen"))->trigger();
    EXPECT_EQ(at(kBike), 2);
    EXPECT_EQ(at(kAdvance + 5), 21);
    EXPECT_EQ(at(kModelByte110), 1); // model 2's constant, which the file does not carry
    EXPECT_EQ(edit("Edit16")->text(), "21");
    EXPECT_TRUE(find<QCheckBox>(QStringLiteral("CheckBoxExtMonitor"))->isChecked());
    EXPECT_EQ(fileLabel()->text(), file);
    EXPECT_EQ(window->rememberedPath(), file);
    EXPECT_TRUE(dialogs.messages.isEmpty() ||
                (dialogs.messages.size() == 1 &&
                 dialogs.messages.first().startsWith(QStringLiteral("Com opening error\n"))));

    // The save dialog then proposes the same file.
    dialogs.savePaths = {QString()};
    find<QAction>(QStringLiteral("MenuSave"))->trigger();
    EXPECT_EQ(dialogs.saveStarts.last(), file);
}

TEST_F(FileCommandsTest, RejectedMissingOrCancelledOpenChangesNothing)
{
    open({QStringLiteral("ENGLISH")});
    dialogs.messages.clear();
    fileLabel()->setText(QStringLiteral("/old/one.ign"));
    window->setMessage("Read device:", false, true);
    const DeviceImage before = window->image();

    std::ofstream(path("stranger.ign").toStdString()) << "KORVANTA_KEY 42\nRPM_ADV 1 2 3";
    dialogs.openPaths = {path("stranger.ign"), path("missing.ign"), QString()};
    for (int i = 0; i < 3; ++i)
        find<QAction>(QStringLiteral("MenuOpen"))->trigger();
    EXPECT_EQ(dialogs.messages, (QStringList{QStringLiteral("Unmatched version of *.ign file!"),
                                             QStringLiteral("Open file error!")}));
    EXPECT_EQ(window->image(), before);
    EXPECT_EQ(fileLabel()->text(), "/old/one.ign");
    EXPECT_TRUE(window->rememberedPath().isEmpty());
    // Every Open, a cancelled one too, hides the message line and its gauge.
    EXPECT_TRUE(find<QWidget>(QStringLiteral("LabelHlaseni"))->isHidden());
    EXPECT_TRUE(find<QWidget>(QStringLiteral("CGaugeProgram"))->isHidden());
}

TEST_F(FileCommandsTest, SaveWritesWhatTheWindowShows)
{
    openShown({QStringLiteral("ENGLISH")});
    type("Edit12", QStringLiteral("19")); // typed, not yet confirmed
    dialogs.savePaths = {path("mine.ign")};
    find<QAction>(QStringLiteral("MenuSave"))->trigger();
    EXPECT_EQ(at(kAdvance + 1), 19);
    EXPECT_EQ(contents(path("mine.ign")), files::writeParameterText(window->image(), false));
    EXPECT_EQ(fileLabel()->text(), path("mine.ign"));
    EXPECT_EQ(window->rememberedPath(), path("mine.ign"));

    dialogs.openPaths = {QString()};
    find<QAction>(QStringLiteral("MenuOpen"))->trigger();
    EXPECT_EQ(dialogs.openStarts.last(), path("mine.ign"));
}

TEST_F(FileCommandsTest, FailedSaveReportsAndKeepsWhatStoodThere)
{
    open({QStringLiteral("CESKY")});
    dialogs.messages.clear();
    std::ofstream(path("good.ign").toStdString()) << "the good file";
    QDir(folder.path()).mkdir(QStringLiteral("folder.ign"));
    dialogs.savePaths = {path("no such folder/x.ign"), path("folder.ign")};
    find<QAction>(QStringLiteral("MenuSave"))->trigger();
    find<QAction>(QStringLiteral("MenuSave"))->trigger();
    EXPECT_EQ(dialogs.messages, (QStringList{QString::fromUtf8("Chyba při otevírání souboru!"),
                                             QString::fromUtf8("Chyba při otevírání souboru!")}));
    EXPECT_EQ(contents(path("good.ign")), "the good file");
    EXPECT_TRUE(QFileInfo(path("folder.ign")).isDir());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1); // nothing half-written
    EXPECT_TRUE(window->rememberedPath().isEmpty());
}

TEST_F(FileCommandsTest, OpenProgramsAtOnceWhenAskedTo)
{
    open({QStringLiteral("ENGLISH")});
    find<QCheckBox>(QStringLiteral("CheckBoxProgHned"))->setChecked(true);
    window->link().ProgramAfterChange(); // armed, as ticking the box does
    while (window->link().transferMode() != link::TransferMode::Idle)
        window->Timer1Timer(); // no unit: let that pass time out
    dialogs.openPaths = {writeModel2File("p.ign")};
    find<QAction>(QStringLiteral("MenuOpen"))->trigger();
    EXPECT_EQ(window->link().transferMode(), link::TransferMode::Program);
}

TEST_F(FileCommandsTest, SaveOverAReadOnlyFileIsRefusedBeforeTheCellsAreTaken)
{
    openShown({QStringLiteral("DEUTSCH")});
    dialogs.messages.clear();
    const QString locked = path("locked.ign");
    std::ofstream(locked.toStdString()) << "the good file";
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const std::uint8_t before = at(kAdvance + 1);
    ASSERT_NE(before, 19);
    type("Edit12", QStringLiteral("19"));
    dialogs.savePaths = {locked};
    find<QAction>(QStringLiteral("MenuSave"))->trigger();
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromUtf8("Fehler beim öffnen der Datei!")});
    EXPECT_EQ(contents(locked), "the good file");
    EXPECT_EQ(at(kAdvance + 1), before); // refused before the typed value was taken over
    EXPECT_TRUE(window->rememberedPath().isEmpty());
}

TEST_F(FileCommandsTest, FailedWriteSaysWhetherThePreviousFileStayed)
{
    open({QStringLiteral("CESKY")});
    dialogs.messages.clear();
    fileLabel()->setText(QStringLiteral("/old/one.ign"));
    std::ofstream(path("good.ign").toStdString()) << "the good file";
    dialogs.savePaths = {path("good.ign")};
    {
        const test::FileSizeLimit limit(8);
        ASSERT_TRUE(limit.active());
        find<QAction>(QStringLiteral("MenuSave"))->trigger();
    }
    EXPECT_EQ(dialogs.messages,
              QStringList{QString::fromUtf8(
                  "Chyba při zápisu souboru! Původní soubor zůstal beze změny.")});
    EXPECT_EQ(contents(path("good.ign")), "the good file");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);

    // A device is written where it stands: the message claims nothing about what it held.
    const QString full = QStringLiteral("/dev/full");
    if (!QFileInfo(full).exists())
        GTEST_SKIP() << "no /dev/full";
    ASSERT_TRUE(QFile::link(full, path("full.ign")));
    dialogs.messages.clear();
    dialogs.savePaths = {path("full.ign")};
    find<QAction>(QStringLiteral("MenuSave"))->trigger();
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromUtf8("Chyba při zápisu souboru!")});
    EXPECT_TRUE(QFileInfo(path("full.ign")).isSymLink());
    EXPECT_EQ(fileLabel()->text(), "/old/one.ign");
    EXPECT_TRUE(window->rememberedPath().isEmpty());
}

TEST(FileDialogs, OpenOffersParameterFilesThenAllFilesAndSaveParameterFilesOnly)
{
    QTemporaryDir folder;
    const QString last = folder.filePath(QStringLiteral("last.ign"));
    QFile(last).open(QIODevice::WriteOnly);
    const QString ignFilter = QStringLiteral("Ignition Parametrs(*.ign)");

    QFileDialog open;
    open.setOption(QFileDialog::DontUseNativeDialog); // its file list is the one we look at
    ui::setUpOpenDialog(open, last);
    EXPECT_EQ(open.nameFilters(), (QStringList{ignFilter, QStringLiteral("All Files (*)")}));
    EXPECT_EQ(open.selectedNameFilter(), ignFilter);
    EXPECT_EQ(open.selectedFiles(), QStringList{last});
    // What the file list shows under each filter: files without a dot are among all files.
    auto *files = open.findChild<QFileSystemModel *>();
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->nameFilters(), QStringList{QStringLiteral("*.ign")});
    open.selectNameFilter(QStringLiteral("All Files (*)"));
    EXPECT_EQ(files->nameFilters(), QStringList{QStringLiteral("*")});

    QFileDialog save;
    save.setOption(QFileDialog::DontUseNativeDialog);
    ui::setUpSaveDialog(save, last);
    EXPECT_EQ(save.nameFilters(), QStringList{ignFilter});
    EXPECT_EQ(save.selectedNameFilter(), ignFilter);
    EXPECT_FALSE(save.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(save.selectedFiles(), QStringList{last});
}

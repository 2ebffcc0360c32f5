#include "controls/form_placement.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QScreen>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "controls/draw_grid.h"
#include "controls/ini_link.h"
#include "controls/list_box.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"
#include "support/test_files.h"

namespace kordalt {

class TTestForm : public QWidget {
    Q_OBJECT

public:
    TTestForm() { setGeometry(50, 60, 300, 200); }
};

namespace {

std::string ScreenSuffix(const QWidget& form) {
    const QSize s = form.screen()->geometry().size();
    return "(" + std::to_string(s.width()) + "x" + std::to_string(s.height()) + ")";
}

TEST(SettingsHelpers, DefaultSections) {
    TTestForm form;
    auto* grid = new TExDrawGrid(&form);
    grid->setObjectName("ExDrawGrid1");
    auto* inner = new QWidget(&form);
    auto* nested = new QWidget(inner);
    nested->setObjectName("Nested");
    auto* placement = new TFormPlacement(&form);
    placement->setObjectName("FormPlacement1");
    QObject loose;
    loose.setObjectName("Loose");
    EXPECT_EQ(DefaultSectionOf(nullptr), "");
    EXPECT_EQ(DefaultSectionOf(&form), "TTestForm");
    EXPECT_EQ(DefaultSectionOf(grid), "TTestFormExDrawGrid1");
    EXPECT_EQ(DefaultSectionOf(nested), "TTestFormNested");
    EXPECT_EQ(DefaultSectionOf(placement), "TTestForm.FormPlacement1");
    EXPECT_EQ(DefaultSectionOf(&loose), "Loose");
    EXPECT_EQ(placement->IniSection(), "TTestForm");
}

TEST(SettingsHelpers, QuotedValuesSurviveTheFile) {
    test::ScratchDir dir;
    TIniFile ini(dir.Path("q.INI"));
    for (const std::string value : {"\"quoted\"", "'single'", "plain", "\"", "\"mixed'", "' '", ""}) {
        SCOPED_TRACE(value);
        IniWriteStr(&ini, "S", "Key", value);
        EXPECT_EQ(IniReadStr(&ini, "S", "Key", "default"), value);
    }
    // Without a store: defaults, and writes go nowhere.
    IniWriteStr(nullptr, "S", "Key", "x");
    IniWriteInt(nullptr, "S", "Key", 1);
    IniEraseSection(nullptr, "S");
    EXPECT_EQ(IniReadStr(nullptr, "S", "Key", "d"), "d");
    EXPECT_EQ(IniReadInt(nullptr, "S", "Key", 7), 7);
    IniWriteInt(&ini, "S", "N", -12);
    EXPECT_EQ(IniReadInt(&ini, "S", "N", 0), -12);
    IniEraseSection(&ini, "S");
    EXPECT_FALSE(ini.SectionExists("S"));
}

TEST(SettingsHelpers, WordsAndFileNames) {
    struct Case {
        int n;
        const char* text;
        int pos;
        const char* word;
    } cases[] = {
        {3, "10, 20,30", 8, "30"}, {5, "10, 20,30", 0, ""}, {1, "  ,a", 4, "a"},
        {2, "a,,b", 4, "b"},       {1, "", 0, ""},          {0, "a", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(WordStartPos(c.n, c.text, " ,"), c.pos);
        EXPECT_EQ(NthWord(c.n, c.text, " ,"), c.word);
    }
    for (const char* bad : {"", "a|b", "<x", "x>", "\"x", "[x", "x]"})
        EXPECT_FALSE(IsValidFileName(bad)) << bad;
    EXPECT_TRUE(IsValidFileName("log.txt"));
    test::ScratchDir dir;
    EXPECT_TRUE(FolderExists(dir.Dir()));
    test::WriteFile(dir.Path("f"), "x");
    EXPECT_FALSE(FolderExists(dir.Path("f")));
    EXPECT_FALSE(FolderExists(dir.Path("missing")));
}

TEST(WindowPlacement, SavedAndLoadedThroughASettingsFile) {
    test::ScratchDir dir;
    TIniFile ini(dir.Path("p.INI"));
    TTestForm saved;
    saved.setGeometry(70, 80, 320, 210);
    SavePlacement(saved, &ini, "Form");
    const std::string suffix = ScreenSuffix(saved);
    EXPECT_EQ(ini.ReadString("Form", "NormPos", ""), "70,80,390,290");
    EXPECT_EQ(ini.ReadString("Form", "NormPos" + suffix, ""), "70,80,390,290");
    EXPECT_TRUE(ini.ValueExists("Form", "MinMaxPos" + suffix));
    EXPECT_EQ(ini.ReadInteger("Form", "ShowCmd", 0), 1);

    TTestForm loaded;
    LoadPlacement(loaded, &ini, "Form", true, true);
    EXPECT_EQ(loaded.geometry(), QRect(70, 80, 320, 210));
    EXPECT_EQ(loaded.windowState(), Qt::WindowNoState);

    // The key for this screen size wins over the plain one; a fixed-size form keeps its size.
    ini.WriteString("Form", "NormPos" + suffix, "10,20,110,120");
    TTestForm fixed;
    fixed.setFixedSize(300, 200);
    LoadPlacement(fixed, &ini, "Form", false, true);
    EXPECT_EQ(fixed.geometry(), QRect(10, 20, 300, 200));

    // Words that are not numbers keep the form's own values.
    ini.WriteString("Form", "NormPos" + suffix, "15,x,y,130");
    TTestForm partial;
    LoadPlacement(partial, &ini, "Form", false, true);
    EXPECT_EQ(partial.geometry(), QRect(15, 60, 350 - 15, 130 - 60));
}

TEST(WindowPlacement, NothingAppliedFromAnotherPixelDensityOrWithoutKeys) {
    test::ScratchDir dir;
    TIniFile ini(dir.Path("p.INI"));
    TTestForm form;
    LoadPlacement(form, &ini, "Form", true, true);
    EXPECT_EQ(form.geometry(), QRect(50, 60, 300, 200));
    form.setGeometry(5, 5, 100, 100);
    SavePlacement(form, &ini, "Form");
    ini.WriteInteger("Form", "PixelsPerInch", ini.ReadInteger("Form", "PixelsPerInch", 0) + 24);
    TTestForm other;
    LoadPlacement(other, &ini, "Form", false, true);
    EXPECT_EQ(other.geometry(), QRect(50, 60, 300, 200));
}

TEST(WindowPlacement, ShowCommandsGiveWindowStates) {
    test::ScratchDir dir;
    TIniFile ini(dir.Path("p.INI"));
    struct Case {
        int showCmd;
        Qt::WindowState state;
    } cases[] = {{0, Qt::WindowNoState},   {1, Qt::WindowNoState}, {2, Qt::WindowMinimized},
                 {3, Qt::WindowMaximized}, {5, Qt::WindowNoState}, {6, Qt::WindowMinimized},
                 {7, Qt::WindowMinimized}, {9, Qt::WindowNoState}, {4, Qt::WindowNoState}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.showCmd);
        ini.WriteInteger("Form", "ShowCmd", c.showCmd);
        TTestForm form;
        form.setWindowState(Qt::WindowMaximized);
        LoadPlacement(form, &ini, "Form", true, false);
        EXPECT_EQ(form.windowState(), c.state);
    }
}

// A form with a placement component writing to a scratch settings file.
struct PlacedForm {
    std::unique_ptr<TTestForm> form = std::make_unique<TTestForm>();
    TFormPlacement* placement = new TFormPlacement(form.get());
    TExCheckListBox* box = new TExCheckListBox(form.get());
    TExDrawGrid* grid = new TExDrawGrid(form.get());
    explicit PlacedForm(const std::string& file) {
        placement->SetIniFileName(file);
        box->setObjectName("ExCheckListBox1");
        grid->setObjectName("ExDrawGrid1");
        for (const char* item : {"a", "b", "c"}) box->Items().Add(item);
        grid->SetColCount(3);
        SetIniStorage(*box, placement);
        SetIniStorage(*grid, placement);
    }
};

TEST(FormPlacement, SavedOnCloseAndRestoredOnShow) {
    test::ScratchDir dir;
    const std::string file = dir.Path("kordalt.INI");
    int saves = 0, restores = 0;
    {
        PlacedForm f(file);
        f.placement->OnSavePlacement = [&](TFormPlacement*) { ++saves; };
        f.placement->OnRestorePlacement = [&](TFormPlacement*) { ++restores; };
        f.form->show();
        EXPECT_EQ(restores, 1);
        EXPECT_TRUE(f.placement->IsRestored());
        f.form->setGeometry(90, 100, 330, 220);
        f.box->SetItemState(2, cbChecked);
        f.grid->SetColWidths(1, 99);
        EXPECT_TRUE(f.form->close());
        EXPECT_EQ(saves, 1);
    }
    EXPECT_EQ(saves, 1) << "a form closed and saved is not saved again when destroyed";
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadInteger("TTestForm", "FormVersion", -1), 0);
    EXPECT_EQ(ini.ReadString("TTestForm", "NormPos", ""), "90,100,420,320");
    EXPECT_EQ(ini.ReadInteger("TTestFormExCheckListBox1", "Item2", -1), 1);
    EXPECT_EQ(ini.ReadInteger("TTestFormExDrawGrid1", "Item1", -1), 99);

    PlacedForm again(file);
    again.form->show();
    EXPECT_EQ(again.form->geometry(), QRect(90, 100, 330, 220));
    EXPECT_EQ(again.box->GetItemState(2), cbChecked);
    EXPECT_EQ(again.grid->ColWidths(1), 99);
}

TEST(FormPlacement, ANewerVersionIgnoresTheStoredPlacement) {
    test::ScratchDir dir;
    const std::string file = dir.Path("kordalt.INI");
    {
        PlacedForm f(file);
        f.form->setGeometry(10, 10, 200, 150);
        f.placement->SaveFormPlacement();
    }
    PlacedForm f(file);
    f.placement->SetVersion(2);
    f.form->show();
    EXPECT_EQ(f.form->geometry(), QRect(50, 60, 300, 200));
    f.form->close();
    EXPECT_EQ(TIniFile(file).ReadInteger("TTestForm", "FormVersion", 0), 2);
}

TEST(FormPlacement, SavedWhenDestroyedAfterARestore) {
    test::ScratchDir dir;
    const std::string file = dir.Path("kordalt.INI");
    {
        PlacedForm f(file);
        f.placement->SetIniSection("Main");
        f.placement->SetOptions(fpState | fpPosition | fpActiveControl);
        f.form->show();
        f.form->setGeometry(20, 30, 250, 180);
    }
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("Main", "NormPos", ""), "20,30,270,210");
    EXPECT_EQ(ini.ReadInteger("Main", "Visible", 0), 1);
    EXPECT_TRUE(ini.ValueExists("Main", "ActiveControl"));
    // Linked controls go below the placement's own section.
    EXPECT_EQ(ini.ReadInteger("Main\\TTestFormExCheckListBox1", "Count", 0), 3);
    EXPECT_EQ(ini.ReadInteger("Main\\TTestFormExDrawGrid1", "Item0", 0), 64);
}

TEST(FormPlacement, NotSavedWithoutARestoreWhileActive) {
    test::ScratchDir dir;
    const std::string file = dir.Path("kordalt.INI");
    {
        PlacedForm f(file);
        f.form->close();
    }
    EXPECT_FALSE(TIniFile(file).SectionExists("TTestForm"));
}

TEST(FormPlacement, AVetoedCloseSavesNothing) {
    class Stubborn : public TTestForm {
    protected:
        void closeEvent(QCloseEvent* event) override { event->ignore(); }
    };
    test::ScratchDir dir;
    auto form = std::make_unique<Stubborn>();
    auto* placement = new TFormPlacement(form.get());
    placement->SetIniFileName(dir.Path("kordalt.INI"));
    int saves = 0;
    placement->OnSavePlacement = [&](TFormPlacement*) { ++saves; };
    form->show();
    EXPECT_FALSE(form->close());
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(form->isVisible());
    placement->SetActive(false);
    form.reset();
    EXPECT_EQ(saves, 1);
}

TEST(IniStorage, LinksFollowTheirStorage) {
    test::ScratchDir dir;
    const std::string file = dir.Path("kordalt.INI");
    PlacedForm f(file);
    EXPECT_EQ(IniStorage(*f.box), f.placement);
    EXPECT_EQ(IniStorage(*f.grid), f.placement);
    QWidget plain;
    EXPECT_EQ(IniStorage(plain), nullptr);

    // An unnamed control stores nothing; a control without storage neither.
    f.box->setObjectName("");
    SetIniStorage(*f.grid, nullptr);
    EXPECT_EQ(IniStorage(*f.grid), nullptr);
    f.placement->SaveFormPlacement();
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"TTestForm"});

    // The storage going away leaves the links without one.
    delete f.placement;
    EXPECT_EQ(IniStorage(*f.box), nullptr);
}

TEST(IniStorage, ReadsAndWritesOnlyWhileTheStoreIsOpen) {
    test::ScratchDir dir;
    PlacedForm f(dir.Path("kordalt.INI"));
    TIniLink link;
    int loads = 0;
    link.OnLoad = [&](TIniLink* l) {
        ++loads;
        EXPECT_NE(l->IniObject(), nullptr);
    };
    link.SetStorage(f.placement);
    EXPECT_EQ(link.IniObject(), nullptr);
    EXPECT_EQ(link.RootSection(), "");
    f.placement->SetIniSection("Top");
    EXPECT_EQ(link.RootSection(), "Top\\");
    f.placement->RestoreFormPlacement();
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(f.placement->IniFile(), nullptr);
    f.placement->WriteString("Key", "\"v\"");
    EXPECT_EQ(f.placement->ReadString("Key", ""), "\"v\"");
    f.placement->WriteInteger("Number", 5);
    EXPECT_EQ(f.placement->ReadInteger("Number", 0), 5);
}

TEST(FormPlacement, PreventResizeAndTrackLimits) {
    TTestForm form;
    auto* placement = new TFormPlacement(&form);
    placement->MinMaxInfo().SetValue(TWinMinMaxInfo::MinTrackWidth, 120);
    placement->MinMaxInfo().SetValue(TWinMinMaxInfo::MaxTrackHeight, 400);
    EXPECT_EQ(form.minimumSize(), QSize(120, 0));
    EXPECT_EQ(form.maximumHeight(), 400);
    const Qt::WindowFlags flags = form.windowFlags();
    placement->SetPreventResize(true);
    EXPECT_EQ(form.minimumSize(), QSize(300, 200));
    EXPECT_EQ(form.maximumSize(), QSize(300, 200));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    placement->SetPreventResize(false);
    EXPECT_EQ(form.windowFlags(), flags);
    EXPECT_EQ(form.minimumSize(), QSize(120, 0));
    EXPECT_EQ(form.maximumSize(), QSize(QWIDGETSIZE_MAX, 400));
}

// Points the user's configuration directory at a scratch folder for the scope.
struct ScopedConfigHome {
    std::string previous;
    bool had;
    explicit ScopedConfigHome(const std::string& dir) {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        had = old != nullptr;
        if (had) previous = old;
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    }
    ~ScopedConfigHome() {
        if (had)
            setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }
};

TEST(RegistryStore, KeysAreSettingsFilesUnderTheConfigDirectory) {
    test::ScratchDir dir;
    ScopedConfigHome home(dir.Path("config"));
    ScopedProgramFileName program("/opt/games/kordalt.bin");
    EXPECT_EQ(DefaultRegistryKey(), "Software\\kordalt");
    struct Case {
        TPlacementRegRoot root;
        const char* key;
        const char* file;
    } cases[] = {
        {prCurrentUser, "Software\\kordalt", "HKEY_CURRENT_USER/Software/kordalt.INI"},
        {prLocalMachine, "Software\\kordalt", "HKEY_LOCAL_MACHINE/Software/kordalt.INI"},
        {prUsers, "\\Software\\\\a\\..\\b", "HKEY_USERS/Software/a/b.INI"},
        {prDynData, "x", "HKEY_DYN_DATA/x.INI"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RegistryFileName(c.root, c.key), dir.Path("config") + "/kordalt/registry/" + c.file);
    }
    unsetenv("XDG_CONFIG_HOME");
    const char* userHome = std::getenv("HOME");
    EXPECT_EQ(XdgConfigHome(), std::string(userHome ? userHome : "") + "/.config");
    setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    EXPECT_EQ(XdgConfigHome(), std::string(userHome ? userHome : "") + "/.config");
}

TEST(RegistryStore, ValuesAreKeptAsWrittenAndRootsAreApart) {
    test::ScratchDir dir;
    ScopedConfigHome home(dir.Path("config"));
    {
        TRegIniFile user("Software\\kordalt");
        for (const std::string value : {"\"quoted\"", "'single'", "plain", ""}) {
            IniWriteStr(&user, "Options", "Value", value);
            EXPECT_EQ(IniReadStr(&user, "Options", "Value", "default"), value);
        }
        IniWriteInt(&user, "Options", "Count", 12);
    }
    TRegIniFile again("software\\kordalt");
    EXPECT_EQ(again.ReadInteger("OPTIONS", "count", 0), 12);
    TRegIniFile machine("Software\\kordalt", prLocalMachine);
    EXPECT_EQ(machine.ReadInteger("Options", "Count", 0), 0);
}

TEST(FormPlacement, UsesTheRegistryStoreWhenAsked) {
    test::ScratchDir dir;
    ScopedConfigHome home(dir.Path("config"));
    ScopedProgramFileName program(dir.Path("kordalt"));
    {
        PlacedForm f("");
        f.placement->SetUseRegistry(true);
        f.form->show();
        f.form->setGeometry(70, 80, 310, 210);
        f.box->SetItemState(1, cbChecked);
        EXPECT_TRUE(f.form->close());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path("kordalt.INI")));
    TIniFile file(RegistryFileName(prCurrentUser, "Software\\kordalt"));
    EXPECT_EQ(file.ReadString("TTestForm", "NormPos", ""), "70,80,380,290");
    EXPECT_EQ(file.ReadInteger("TTestFormExCheckListBox1", "Item1", -1), 1);

    PlacedForm again("");
    again.placement->SetUseRegistry(true);
    again.form->show();
    EXPECT_EQ(again.form->geometry(), QRect(70, 80, 310, 210));
    EXPECT_EQ(again.box->GetItemState(1), cbChecked);
    // Another root is another store: nothing to restore there.
    PlacedForm machine("");
    machine.placement->SetUseRegistry(true);
    machine.placement->SetRegistryRoot(prLocalMachine);
    machine.form->show();
    EXPECT_EQ(machine.box->GetItemState(1), cbUnchecked);
}

}  // namespace
}  // namespace kordalt

#include "form_placement_test.moc"
